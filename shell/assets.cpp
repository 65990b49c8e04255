// The three datafiles, the objects the game takes from them by index, and the
// check that each object is there and of the kind its use needs.
#include "shell/screens.h"

DATAFILE *graphics_data;
DATAFILE *music_data;
DATAFILE *battle_data;
BITMAP *ok_button_image;
SAMPLE *reveal_sound;
SAMPLE *music_sample;

static const char graphics_file[] = "graphics.dat";
static const char music_file[] = "music.dat";
static const char battle_file[] = "battle.dat";

enum {
    COVER_OBJECT = 0,
    FONT_OBJECT = 1,
    OK_BUTTON_OBJECT = 2,
    REVEAL_SOUND_OBJECT = 3,
    FIRST_PRIZE_OBJECT = 4,      // prize image of type t: object 4 + t
    MUSIC_OBJECT = 0,
};

static DATAFILE *load_or_stop(const char *file_name)
{
    char reason[96];
    if (!exists(file_name))
        stop_program("%s: missing from the working folder", file_name);
    if (!datafile_is_whole(file_name, reason, sizeof reason))
        stop_program("%s: %s", file_name, reason);
    DATAFILE *data = load_datafile(file_name);
    if (data == NULL)
        stop_program("%s: cannot be loaded (missing or damaged datafile)", file_name);
    return data;
}

static int object_count(const DATAFILE *data)
{
    int count = 0;
    while (data[count].type != DAT_END)
        count++;
    return count;
}

static const char *kind_name(int type)
{
    switch (type) {
    case DAT_BITMAP: return "a bitmap";
    case DAT_FONT: return "a font";
    case DAT_SAMPLE: return "a sample";
    default: return "raw data";
    }
}

// The object at index of the given kind; stops the program when the file has
// no such object. Raw data objects (the JPEG backgrounds) are whatever the
// library did not convert, so any type other than its own converted kinds.
static void *object_or_stop(const DATAFILE *data, const char *file_name, int index, int type)
{
    int count = object_count(data);
    if (index >= count)
        stop_program("%s: object %d (%s) is missing: the file holds %d objects",
                      file_name, index, kind_name(type), count);
    const DATAFILE &object = data[index];
    bool right_kind = type == DAT_DATA
        ? object.type != DAT_BITMAP && object.type != DAT_FONT && object.type != DAT_SAMPLE
              && object.type != DAT_FILE && object.size > 0
        : object.type == type;
    if (!right_kind || object.dat == NULL)
        stop_program("%s: object %d is not %s", file_name, index, kind_name(type));
    return object.dat;
}

void load_assets()
{
    graphics_data = load_or_stop(graphics_file);
    music_data = load_or_stop(music_file);
    battle_data = load_or_stop(battle_file);

    for (int n = 0; n < BACKGROUND_COUNT; n++) {
        object_or_stop(graphics_data, graphics_file, n, DAT_DATA);
        background_cache.background_images[n] = NULL;
        background_cache.background_decoded[n] = 0;
    }
    cover_image = (BITMAP *)object_or_stop(battle_data, battle_file, COVER_OBJECT, DAT_BITMAP);
    FONT *battle_font = (FONT *)object_or_stop(battle_data, battle_file, FONT_OBJECT, DAT_FONT);
    ok_button_image = (BITMAP *)object_or_stop(battle_data, battle_file, OK_BUTTON_OBJECT, DAT_BITMAP);
    reveal_sound = (SAMPLE *)object_or_stop(battle_data, battle_file, REVEAL_SOUND_OBJECT, DAT_SAMPLE);
    for (int t = 0; t < PRIZE_TYPE_COUNT; t++)
        prize_images[t] = (BITMAP *)object_or_stop(battle_data, battle_file,
                                                   FIRST_PRIZE_OBJECT + t, DAT_BITMAP);
    music_sample = (SAMPLE *)object_or_stop(music_data, music_file, MUSIC_OBJECT, DAT_SAMPLE);
    // Only now, with every object checked, may the library's font point into
    // the datafile: a stop above unloads it.
    font = battle_font;
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
