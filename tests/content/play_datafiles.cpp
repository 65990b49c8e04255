// Shared loader for the content tests; the library is started once, without a
// screen and without sound.
#include "play_datafiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include <gtest/gtest.h>

namespace
{

void start_library()
{
    static bool started = false;
    if (started)
        return;
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(24);
    started = true;
}

std::map<std::string, DATAFILE *> &loaded()
{
    static std::map<std::string, DATAFILE *> files;
    return files;
}

// Unloads what the tests loaded, so the leak checker sees every object released.
class UnloadDatafiles : public ::testing::Environment
{
public:
    void TearDown() override
    {
        for (auto &entry : loaded())
            if (entry.second)
                unload_datafile(entry.second);
        loaded().clear();
    }
};

const ::testing::Environment *const unload_at_end = ::testing::AddGlobalTestEnvironment(new UnloadDatafiles);

}  // namespace

std::string play_path(const char *name)
{
    return std::string(TABELLONE_PLAY_DIR) + "/" + name;
}

DATAFILE *play_datafile(const char *name)
{
    start_library();
    auto it = loaded().find(name);
    if (it != loaded().end())
        return it->second;
    DATAFILE *d = load_datafile(play_path(name).c_str());
    loaded()[name] = d;
    return d;
}

int datafile_count(const DATAFILE *d)
{
    int n = 0;
    while (d && d[n].type != DAT_END)
        ++n;
    return n;
}
