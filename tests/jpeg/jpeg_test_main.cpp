// Test entry: Allegro without a screen (bitmaps only) at 24 bits, then GoogleTest.
#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 1;
    set_color_depth(24);
    return RUN_ALL_TESTS();
}
