// The dialogs as the shell sets them up: board cells that follow the board,
// ESC objects that close their dialog, an idle object that sleeps before each
// terminator and closes it once left alone, and form buffers wide enough for
// 30 UTF-8 characters.
#include <stdlib.h>
#include <string.h>

#include <chrono>

#include <gtest/gtest.h>

#include "board/players_log.h"
#include "shell/screens.h"
#include "tests/board/seeded_random.h"

namespace
{

class Dialogs : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
        set_color_depth(24);
        cover_image = create_bitmap(42, 42);
        for (BITMAP *&image : prize_images)
            image = create_bitmap(42, 42);
        ok_button_image = create_bitmap(100, 23);
    }
    void SetUp() override
    {
        prize_board = PrizeBoard{};
        setup_dialogs();
    }
};

void expect_cells_follow_board()
{
    for (int i = 0; i < BOARD_SIZE; i++) {
        const BoardCell &cell = prize_board.cells[i];
        BITMAP *expected = cell.revealed ? prize_images[cell.type] : cover_image;
        ASSERT_EQ(board_dialog[i].dp, expected) << "cell " << i;
    }
}

TEST_F(Dialogs, BoardCellsFollowDealsAndReveals)
{
    for (int i = 0; i < BOARD_SIZE; i++)
        ASSERT_EQ(board_dialog[i].dp, cover_image) << "before the first deal, cell " << i;
    SeededRandom seeded(7);
    deal_board();
    expect_cells_follow_board();
    int covered = 0;
    while (prize_board.cells[covered].revealed)
        covered++;
    reveal_cell(covered);
    EXPECT_EQ(board_dialog[covered].dp, prize_images[prize_board.cells[covered].type]);
    expect_cells_follow_board();
    deal_board();
    expect_cells_follow_board();
}

TEST_F(Dialogs, EscObjectsCloseWithTheirOwnIndex)
{
    const DIALOG *esc[] = {&confirm_dialog[CONFIRM_ESC], &form_dialog[FORM_ESC], &board_dialog[BOARD_ESC]};
    for (const DIALOG *d : esc) {
        EXPECT_EQ(d->proc, d_keyboard_proc);
        EXPECT_EQ(d->key, 27);
        ASSERT_NE(d->dp, nullptr) << "the library calls dp when the key is pressed";
        EXPECT_EQ(((int (*)(void))d->dp)(), D_CLOSE);
    }
}

TEST_F(Dialogs, EachDialogSleepsWhenIdleBeforeItsTerminator)
{
    // The idle object comes after every index the screens decide by, and is
    // the index a screen left alone sees.
    struct {
        DIALOG *dialog;
        int size;
        int idle;
    } all[] = {{confirm_dialog, CONFIRM_DIALOG_SIZE, CONFIRM_IDLE},
               {form_dialog, FORM_DIALOG_SIZE, FORM_IDLE},
               {board_dialog, BOARD_DIALOG_SIZE, BOARD_IDLE}};
    for (auto &d : all) {
        for (int i = 0; i < d.size - 2; i++)
            EXPECT_NE(d.dialog[i].proc, idle_proc) << "object " << i;
        EXPECT_EQ(d.idle, d.size - 2);
        EXPECT_EQ(d.dialog[d.size - 2].proc, idle_proc);
        EXPECT_EQ(d.dialog[d.size - 1].proc, nullptr);
    }
    EXPECT_GT(CONFIRM_IDLE, CONFIRM_OK);
    EXPECT_GT(FORM_IDLE, FORM_OK);
    EXPECT_GT(BOARD_IDLE, BOARD_ESC);
    EXPECT_EQ(confirm_dialog[CONFIRM_OK].dp, ok_button_image);
    EXPECT_EQ(form_dialog[FORM_OK].dp, ok_button_image);
}

// Idles until the object closes its dialog; the time from `since` to then.
std::chrono::milliseconds idle_until_closed(DIALOG *idle, std::chrono::steady_clock::time_point since)
{
    while (idle_proc(MSG_IDLE, idle, 0) != D_CLOSE) {
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since);
}

TEST_F(Dialogs, TheIdleObjectClosesOnlyOnceNoInputCameForItsTime)
{
    watch_input();
    DIALOG idle = form_dialog[FORM_IDLE];
    idle.d1 = 0;  // the title's: waits for ever
    idle_proc(MSG_START, &idle, 0);
    for (int i = 0; i < 10; i++)
        ASSERT_EQ(idle_proc(MSG_IDLE, &idle, 0), D_O_K);

    idle.d1 = 150;
    auto started = std::chrono::steady_clock::now();
    idle_proc(MSG_START, &idle, 0);
    EXPECT_GE(idle_until_closed(&idle, started).count(), 150);
    // A key and a mouse move each start the time again, whenever they come.
    void (*inputs[])(int) = {keyboard_lowlevel_callback, mouse_callback};
    for (auto input : inputs) {
        idle_proc(MSG_START, &idle, 0);
        rest(100);
        auto came = std::chrono::steady_clock::now();
        input(1);
        EXPECT_EQ(idle_proc(MSG_IDLE, &idle, 0), D_O_K);
        EXPECT_GE(idle_until_closed(&idle, came).count(), 150);
    }
}

void set_test_wait(const char *value)
{
#ifdef _WIN32
    _putenv_s("TABELLONE_TEST_LEFT_ALONE_MS", value ? value : "");
#else
    if (value)
        setenv("TABELLONE_TEST_LEFT_ALONE_MS", value, 1);
    else
        unsetenv("TABELLONE_TEST_LEFT_ALONE_MS");
#endif
}

TEST(LeftAlone, TheTestSettingOnlyShortensTheWait)
{
    const struct {
        const char *value;
        int limit;
    } cases[] = {{nullptr, LEFT_ALONE_MS}, {"", LEFT_ALONE_MS},       {"3000", 3000},
                 {"0", LEFT_ALONE_MS},     {"-5", LEFT_ALONE_MS},     {"3000ms", LEFT_ALONE_MS},
                 {"90000", LEFT_ALONE_MS}, {"600000", LEFT_ALONE_MS}};
    for (const auto &c : cases) {
        set_test_wait(c.value);
        EXPECT_EQ(left_alone_limit_ms(LEFT_ALONE_MS), c.limit) << (c.value ? c.value : "unset");
    }
    set_test_wait("40000");
    EXPECT_EQ(left_alone_limit_ms(RESULT_LEFT_ALONE_MS), RESULT_LEFT_ALONE_MS);
    set_test_wait(nullptr);
}

TEST_F(Dialogs, FormFieldsHoldThirtyCharactersOfUtf8AndClear)
{
    for (int f = 0; f < FORM_FIELD_COUNT; f++) {
        const DIALOG &field = form_dialog[1 + f];
        EXPECT_EQ(field.proc, d_edit_proc);
        EXPECT_EQ(field.dp, form_text[f]);
        EXPECT_EQ(field.d1, 30);
        // The library asks an edit field for (d1 + 1) * 4 bytes in UTF-8.
        EXPECT_GE(sizeof form_text[f], (size_t)(field.d1 + 1) * 4);
        strcpy(form_text[f], "più già così");
    }
    clear_form();
    for (int f = 0; f < FORM_FIELD_COUNT; f++)
        EXPECT_STREQ(form_text[f], "");
}

}  // namespace
