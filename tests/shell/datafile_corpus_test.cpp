// The datafile check on the built datafiles and on a few hundred damaged
// copies of them: every copy the check accepts is loaded and unloaded by the
// library's own loader, which under ASan proves the acceptance safe, with a
// bound on what any one allocation and the whole run may take.
#include <dirent.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <string>

#include <gtest/gtest.h>

#include "shell/datafile_check.h"
#include "shell/screens.h"
#include "tests/shell/datafile_damage.h"
#include "tests/support/scratch_files.h"

// Under ASan an allocation above this aborts the test; the loader's runaway
// allocations ran to gigabytes.
extern "C" const char *__asan_default_options()
{
    return "max_allocation_size_mb=256";
}

namespace
{

const long PEAK_MEMORY_LIMIT_KIB = 1024 * 1024;

struct Played {
    const char *name;
    const DatafileLayout *layout;
};
const Played played[] = {
    {"graphics.dat", &graphics_layout}, {"battle.dat", &battle_layout}, {"music.dat", &music_layout}};

class DatafileCorpus : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
        set_color_depth(24);
    }

    // The check's verdict on bytes, with its reason; when accepted, the
    // loader's result is checked against the layout and unloaded.
    static bool check_and_load(const DatBytes &bytes, const DatafileLayout *layout, std::string *reason)
    {
        MemoryFile file = memory_file(bytes.data(), bytes.size());
        EXPECT_FALSE(file.path.empty());
        char text[200] = "";
        bool accepted = check_datafile(file.path.c_str(), layout, text, sizeof text);
        *reason = text;
        if (accepted) {
            DATAFILE *data = load_datafile(file.path.c_str());
            EXPECT_NE(data, nullptr);
            for (int i = 0; data && layout && i < layout->count; i++) {
                EXPECT_EQ(data[i].type, layout->kinds[i]) << "object " << i;
                EXPECT_NE(data[i].dat, nullptr) << "object " << i;
            }
            unload_datafile(data);
        }
        close_memory_file(file);
        return accepted;
    }

    static DatBytes built(const char *name)
    {
        return read_bytes(std::string(TABELLONE_PLAY_DIR) + "/" + name);
    }
};

TEST_F(DatafileCorpus, BuiltContentPasses)
{
    for (const Played &p : played) {
        std::string reason;
        DatBytes bytes = built(p.name);
        ASSERT_FALSE(bytes.empty()) << p.name;
        EXPECT_TRUE(check_and_load(bytes, p.layout, &reason)) << p.name << ": " << reason;
        // Each file holds what only its own layout asks.
        for (const Played &other : played) {
            if (other.layout != p.layout) {
                EXPECT_FALSE(check_and_load(bytes, other.layout, &reason)) << p.name << " as " << other.name;
            }
        }
    }
}

TEST_F(DatafileCorpus, DamagedCopiesAreRefusedOrLoadSafely)
{
    int total = 0, accepted = 0;
    for (const Played &p : played) {
        std::vector<DamagedFile> damaged = damaged_copies(built(p.name), 20240611);
        for (const DamagedFile &d : damaged) {
            std::string reason;
            bool taken = check_and_load(d.bytes, p.layout, &reason);
            if (d.must_refuse) {
                EXPECT_FALSE(taken) << p.name << ": " << d.label;
            } else if (!taken) {
                EXPECT_NE(reason.find("object"), std::string::npos) << p.name << ": " << d.label << ": " << reason;
            }
            // Without the game's layout only the loader's safety is asked.
            taken = check_and_load(d.bytes, nullptr, &reason) || taken;
            accepted += taken;
            total++;
        }
    }
    EXPECT_GE(total, 300);
    printf("%d damaged datafiles, %d accepted by the check at least without the game's layout\n", total, accepted);
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, PEAK_MEMORY_LIMIT_KIB);
}

// The one line the game prints names the object and the fault.
TEST_F(DatafileCorpus, ReasonsNameTheObjectAndTheFault)
{
    DatBytes battle = built("battle.dat");
    std::vector<ObjectAt> objects = object_outline(battle);
    std::string reason;

    // The e2e scenario damaged_datafile_stops_before_window sees the lines of
    // a bitmap, a font range, a sample length and a background.
    // The font's last glyph one row taller: its rows' bytes more.
    DatBytes b = battle;
    size_t glyph = 0, at = objects[1].payload_at + 4;
    for (uint32_t r = get_be16(b, objects[1].payload_at + 2); r > 0; r--) {
        uint32_t glyphs = get_be32(b, at + 5) - get_be32(b, at + 1) + 1;
        for (at += 9; glyphs > 0; glyphs--) {
            glyph = at;
            at += 4 + (get_be16(b, at) + 7) / 8 * get_be16(b, at + 2);
        }
    }
    ASSERT_EQ(at, objects[1].payload_at + objects[1].size);
    uint32_t width = get_be16(b, glyph), height = get_be16(b, glyph + 2);
    put_be16(b, glyph + 2, height + 1);
    EXPECT_FALSE(check_and_load(b, &battle_layout, &reason));
    EXPECT_EQ(reason, "object 1 (font): glyph sizes add up to " + std::to_string(objects[1].size + (width + 7) / 8) +
                          " bytes but the object holds " + std::to_string(objects[1].size));

    b = battle;
    put_be16(b, objects[3].payload_at, 12);
    EXPECT_FALSE(check_and_load(b, &battle_layout, &reason));
    EXPECT_EQ(reason, "object 3 (sample): 12 bits a sample is not 8 or 16");

    b = battle;
    put_be32(b, objects[1].type_at, DAT_BITMAP);
    EXPECT_FALSE(check_and_load(b, &battle_layout, &reason));
    EXPECT_EQ(reason, "object 1 (bitmap): depth 0 is not one of 8, 15, 16, 24, 32 and -32");
    put_be32(b, objects[1].type_at, DAT_DATA);
    EXPECT_FALSE(check_and_load(b, &battle_layout, &reason));
    EXPECT_EQ(reason, "object 1 (raw data): the game needs a font here");

    put_be32(b, 8, 10);  // ten objects where eleven lie in the file
    EXPECT_FALSE(check_and_load(b, nullptr, &reason));
    EXPECT_EQ(reason, "holds " + std::to_string(battle.size() - objects[10].start) + " bytes after its last object");
}

TEST_F(DatafileCorpus, BackgroundsMustBeScreenSizedPictures)
{
    DatBytes graphics = built("graphics.dat");
    std::vector<ObjectAt> objects = object_outline(graphics);
    const ObjectAt &last = objects.back();
    std::string reason;

    // Object 9's picture replaced by a 24x16 JPEG the decoder accepts, and by
    // one it refuses, whose reason the refusal gives.
    const struct {
        const char *picture;
        std::string reason;
    } cases[] = {
        {"444-24x16.jpg", "a 24x16 picture where the game needs at least 800x600"},
        {"refused-progressive.jpg", "not a JPEG the game's decoder accepts: progressive JPEG (SOF2 at byte 158)"},
    };
    for (const auto &c : cases) {
        DatBytes picture = read_bytes(std::string(TABELLONE_SOURCE_DIR) + "/fuzz/corpus/" + c.picture);
        ASSERT_FALSE(picture.empty());
        DatBytes b(graphics.begin(), graphics.begin() + last.payload_at);
        b.insert(b.end(), picture.begin(), picture.end());
        put_be32(b, last.type_at + 4, picture.size());
        put_be32(b, last.type_at + 8, picture.size());
        EXPECT_FALSE(check_and_load(b, &graphics_layout, &reason));
        EXPECT_EQ(reason, "object 9 (raw data): " + c.reason);
        EXPECT_TRUE(check_and_load(b, nullptr, &reason)) << reason;
    }
}

// A file packed as a whole is checked unpacked; an object packed on its own
// is refused; nested datafiles are checked inside, to a bounded depth.
TEST_F(DatafileCorpus, PackedAndNestedFiles)
{
    DatBytes battle = built("battle.dat");
    std::string reason;
    for (bool damaged : {false, true}) {
        DatBytes plain = battle;
        if (damaged)
            put_be16(plain, object_outline(plain)[0].payload_at + 2, 43);
        MemoryFile packed = memory_file(nullptr, 0);
        PACKFILE *f = pack_fopen(packed.path.c_str(), F_WRITE_PACKED);
        ASSERT_NE(f, nullptr);
        pack_fwrite(plain.data() + 4, (long)plain.size() - 4, f);  // after the plain file's magic
        pack_fclose(f);
        DatBytes bytes = read_bytes(packed.path);
        close_memory_file(packed);
        ASSERT_EQ(get_be32(bytes, 0), (uint32_t)F_PACK_MAGIC);
        EXPECT_LT(bytes.size(), battle.size());
        EXPECT_EQ(check_and_load(bytes, &battle_layout, &reason), !damaged) << reason;
        if (damaged) {
            EXPECT_EQ(reason, "object 0 (bitmap): 43x42 pixels at depth 24 take 5424 bytes but the object holds 5298");
        }
    }

    // music.dat with battle.dat nested as its second object.
    DatBytes music = built("music.dat");
    auto nest = [](const DatBytes &outer, const DatBytes &inner_file) {
        DatBytes out = outer;
        put_be32(out, 8, get_be32(out, 8) + 1);
        DatBytes header(12);
        put_be32(header, 0, DAT_FILE);
        put_be32(header, 4, inner_file.size() - 8);
        put_be32(header, 8, inner_file.size() - 8);
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), inner_file.begin() + 8, inner_file.end());  // from the object count
        return out;
    };
    DatBytes nested = nest(music, battle);
    EXPECT_TRUE(check_and_load(nested, &music_layout, &reason)) << reason;
    // battle.dat's byte x lies at music.size() + 12 + x - 8 in it.
    put_be16(nested, music.size() + 12 + object_outline(battle)[0].payload_at + 2 - 8, 43);
    EXPECT_FALSE(check_and_load(nested, &music_layout, &reason));
    EXPECT_EQ(
        reason,
        "object 1 (datafile): object 0 (bitmap): 43x42 pixels at depth 24 take 5424 bytes but the object holds 5298");

    DatBytes deep = music;
    for (int level = 0; level < 5; level++)
        deep = nest(music, deep);
    EXPECT_FALSE(check_and_load(deep, &music_layout, &reason));
    EXPECT_NE(reason.find("datafiles nest more than 4 deep"), std::string::npos) << reason;

    DatBytes alone = battle;
    ObjectAt cover = object_outline(battle)[0];
    put_be32(alone, cover.type_at + 8, (uint32_t) - (int32_t)cover.size);
    EXPECT_FALSE(check_and_load(alone, &battle_layout, &reason));
    EXPECT_EQ(reason, "object 0 (bitmap): is packed on its own, which the game's files never are");
}

// The committed fuzz seeds pass; every saved crasher is refused or, if a
// later change lets it through, loads safely.
TEST_F(DatafileCorpus, FuzzSeedsAndCrashersReplay)
{
    for (const char *folder : {"fuzz/datafile_corpus", "fuzz/datafile_crashers"}) {
        std::string path = std::string(TABELLONE_SOURCE_DIR) + "/" + folder;
        DIR *dir = opendir(path.c_str());
        ASSERT_NE(dir, nullptr) << path;
        int files = 0;
        while (struct dirent *entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            std::string reason;
            bool taken = check_and_load(read_bytes(path + "/" + entry->d_name), nullptr, &reason);
            bool seed = std::string(folder) == "fuzz/datafile_corpus";
            EXPECT_TRUE(taken || !seed) << entry->d_name << ": " << reason;
            files++;
        }
        closedir(dir);
        EXPECT_GT(files, 0) << path;
    }
}

}  // namespace
