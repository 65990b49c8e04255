// The three datafiles, what the game needs of each, and the objects it takes
// from them by index. By the time they are loaded check_datafiles_or_stop has
// passed each file, kinds and counts included.
#include <string>

#include "shell/datafile_check.h"
#include "shell/screens.h"

DATAFILE *graphics_data;
static DATAFILE *music_data;
static DATAFILE *battle_data;
BITMAP *ok_button_image;
SAMPLE *reveal_sound;
SAMPLE *music_sample;

static const int32_t graphics_kinds[BACKGROUND_COUNT] = {
    DAT_DATA, DAT_DATA, DAT_DATA, DAT_DATA, DAT_DATA, DAT_DATA, DAT_DATA, DAT_DATA, DAT_DATA, DAT_DATA,
};
static const int32_t battle_kinds[BATTLE_OBJECT_COUNT] = {
    DAT_BITMAP, DAT_FONT,   DAT_BITMAP, DAT_SAMPLE, DAT_BITMAP, DAT_BITMAP,
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
};
static const int32_t music_kinds[MUSIC_OBJECT_COUNT] = {DAT_SAMPLE};
static_assert(BACKGROUND_COUNT == 10 && BATTLE_OBJECT_COUNT == 11, "the kinds above list every object");

const DatafileLayout graphics_layout = {graphics_file_name, graphics_kinds, BACKGROUND_COUNT, true};
const DatafileLayout battle_layout = {battle_file_name, battle_kinds, BATTLE_OBJECT_COUNT, false};
const DatafileLayout music_layout = {music_file_name, music_kinds, MUSIC_OBJECT_COUNT, false};

// Only a lack of memory is left to fail here.
static bool load(const DatafileLayout &layout, DATAFILE **data, std::string *why)
{
    *data = load_datafile(layout.file_name);
    if (*data == NULL)
        *why = std::string(layout.file_name) + ": cannot be loaded";
    return *data != NULL;
}

bool load_assets(std::string *why)
{
    if (!load(graphics_layout, &graphics_data, why) || !load(music_layout, &music_data, why) ||
        !load(battle_layout, &battle_data, why))
        return false;
    clear_background_cache();
    cover_image = (BITMAP *)battle_data[COVER_OBJECT].dat;
    ok_button_image = (BITMAP *)battle_data[OK_BUTTON_OBJECT].dat;
    reveal_sound = (SAMPLE *)battle_data[REVEAL_SOUND_OBJECT].dat;
    for (int t = 0; t < PRIZE_TYPE_COUNT; t++)
        prize_images[t] = (BITMAP *)battle_data[FIRST_PRIZE_OBJECT + t].dat;
    music_sample = (SAMPLE *)music_data[MUSIC_OBJECT].dat;
    font = (FONT *)battle_data[FONT_OBJECT].dat;
    return true;
}

void unload_assets()
{
    unload_datafile(battle_data);
    unload_datafile(music_data);
    unload_datafile(graphics_data);
    battle_data = NULL;
    music_data = NULL;
    graphics_data = NULL;
}
