// make-content: draws, encodes and synthesises the game's default content and
// writes "graphics.dat", "battle.dat" and "music.dat" into the given folder.
// Usage: make-content OUT_DIR          (the three datafiles)
//        make-content --preview DIR    (PNG previews and the contact sheet)
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "shell/game_contract.h"

#include "backgrounds.h"
#include "datafile_writer.h"
#include "font_builder.h"
#include "preview.h"
#include "sound_synth.h"
#include "sprite_art.h"

namespace
{

DatObject bitmap_object(const char *name, Canvas canvas)
{
    DatObject o{dat_id("BMP "), name, bitmap24_payload(canvas.width, canvas.height, canvas_rgb(canvas))};
    canvas_destroy(canvas);
    return o;
}

std::vector<DatObject> graphics_objects()
{
    std::vector<DatObject> objects;
    for (int n = 0; n < background_count; ++n) {
        Canvas c = draw_background(n);
        Bytes jpeg = encode_jpeg(c.width, c.height, canvas_rgb(c), backgrounds[n].jpeg);
        canvas_destroy(c);
        objects.push_back({dat_id("DATA"), std::string(backgrounds[n].name) + "_JPG", jpeg});
    }
    return objects;
}

std::vector<DatObject> battle_objects()
{
    std::vector<DatObject> objects(BATTLE_OBJECT_COUNT);
    objects[COVER_OBJECT] = bitmap_object("COVER", draw_cover_sprite());
    objects[FONT_OBJECT] = {dat_id("FONT"), "FORM_FONT", mono_font_payload(build_form_font())};
    objects[OK_BUTTON_OBJECT] = bitmap_object("OK_BUTTON", draw_ok_button_sprite());
    objects[REVEAL_SOUND_OBJECT] = {dat_id("SAMP"), "REVEAL", sample16_payload(sound_rate, synth_reveal_chime())};
    for (int t = 0; t < PRIZE_TYPE_COUNT; ++t) {
        std::string name = std::string("PRIZE_") + prize_names[t];
        for (char &ch : name)
            ch = (char)std::toupper((unsigned char)ch);
        objects[FIRST_PRIZE_OBJECT + t] = bitmap_object(name.c_str(), draw_prize_sprite(t));
    }
    return objects;
}

std::vector<DatObject> music_objects()
{
    std::vector<DatObject> objects(MUSIC_OBJECT_COUNT);
    objects[MUSIC_OBJECT] = {dat_id("SAMP"), "MUSIC", sample16_payload(sound_rate, synth_music_loop())};
    return objects;
}

bool write_datafile(const std::string &path, const std::vector<DatObject> &objects)
{
    if (write_file(path, datafile_bytes(objects)))
        return true;
    std::fprintf(stderr, "make-content: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--preview") == 0) {
        if (write_previews(argv[2]))
            return 0;
        std::fprintf(stderr, "make-content: cannot write previews into %s\n", argv[2]);
        return 1;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: make-content OUT_DIR | make-content --preview DIR\n");
        return 2;
    }
    const std::string out = argv[1];
    bool ok = write_datafile(out + "/" + graphics_file_name, graphics_objects());
    ok = write_datafile(out + "/" + battle_file_name, battle_objects()) && ok;
    ok = write_datafile(out + "/" + music_file_name, music_objects()) && ok;
    return ok ? 0 : 1;
}
