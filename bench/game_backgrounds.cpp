// Loads the background objects of "graphics.dat" through Allegro.
#include "bench/game_backgrounds.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

std::vector<BenchPicture> game_backgrounds(const char *path, std::string *error)
{
    std::vector<BenchPicture> pictures;
    DATAFILE *data = load_datafile(path);
    if (!data) {
        *error = std::string(path) + ": cannot be loaded (run `make build` to create it)";
        return pictures;
    }
    for (int i = 0; data[i].type != DAT_END; i++) {
        if (data[i].type != DAT_DATA || data[i].size <= 0)
            continue;
        BenchPicture picture;
        picture.name = get_datafile_property(&data[i], DAT_NAME);
        if (picture.name.empty())
            picture.name = "object " + std::to_string(i);
        const uint8_t *bytes = static_cast<const uint8_t *>(data[i].dat);
        picture.jpeg.assign(bytes, bytes + data[i].size);
        pictures.push_back(picture);
    }
    unload_datafile(data);
    if (pictures.empty())
        *error = std::string(path) + ": holds no raw data objects";
    return pictures;
}
