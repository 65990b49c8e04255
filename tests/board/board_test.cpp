// The deal, the reveals and the cell images of the prize board.
#include <gtest/gtest.h>

#include "board/board.h"
#include "tests/support/cell_images.h"
#include "seeded_random.h"

namespace
{

struct MakeUp {
    int per_type[PRIZE_TYPE_COUNT] = {};
    int revealed = 0, revealed_empty = 0;
};

MakeUp make_up()
{
    MakeUp m;
    for (const BoardCell &cell : prize_board.cells) {
        m.per_type[cell.type]++;
        m.revealed += cell.revealed;
        m.revealed_empty += cell.revealed && cell.type == EMPTY_SQUARE;
    }
    return m;
}

TEST(Deal, EveryFreshBoardHoldsTheElevenPrizesAndFifteenOpenEmptySquares)
{
    CellImages images;
    SeededRandom seeded(0);
    for (unsigned seed = 0; seed < 500; seed++) {
        seeded.reseed(seed);
        deal_board();
        MakeUp m = make_up();
        for (int t = 0; t < PRIZE_TYPE_COUNT; t++)
            ASSERT_EQ(m.per_type[t], prize_counts[t]) << "type " << t << " seed " << seed;
        ASSERT_EQ(m.revealed, 15) << "seed " << seed;
        ASSERT_EQ(m.revealed_empty, 15) << "seed " << seed;
        ASSERT_TRUE(images.follow_board()) << "seed " << seed;
        int covered_with_cover = 0;
        for (int i = 0; i < BOARD_SIZE; i++)
            covered_with_cover += !prize_board.cells[i].revealed && images.cells[i] == cover_image;
        ASSERT_EQ(covered_with_cover, 85);
    }
}

TEST(Deal, TheSameSeedDealsTheSameBoard)
{
    CellImages images;
    SeededRandom seeded(20261208);
    deal_board();
    PrizeBoard first = prize_board;
    seeded.reseed(99);
    deal_board();
    seeded.reseed(20261208);
    deal_board();
    for (int i = 0; i < BOARD_SIZE; i++) {
        EXPECT_EQ(prize_board.cells[i].type, first.cells[i].type) << i;
        EXPECT_EQ(prize_board.cells[i].revealed, first.cells[i].revealed) << i;
    }
}

TEST(Deal, ASecondDealLeavesNoImageOfTheFirst)
{
    CellImages images;
    SeededRandom seeded(7);
    deal_board();
    for (int i = 0; i < BOARD_SIZE; i++)
        if (!prize_board.cells[i].revealed)
            reveal_cell(i);
    deal_board();
    EXPECT_TRUE(images.follow_board());
    EXPECT_EQ(make_up().revealed, 15);
}

TEST(Deal, PrizeNamesAndCountsAreTheGamesOwn)
{
    const char *names[] = {"Poltrona", "Borsa", "Monopattino", "Asciugamani", "Tenda", "Telefono", "Niente"};
    int total = 0;
    for (int t = 0; t < PRIZE_TYPE_COUNT; t++) {
        EXPECT_STREQ(prize_names[t], names[t]);
        total += prize_counts[t];
    }
    EXPECT_EQ(total, BOARD_SIZE);
}

TEST(Reveal, TheBoardIsUsedUpExactlyAtThe85thReveal)
{
    CellImages images;
    SeededRandom seeded(3);
    deal_board();
    int reveals = 0;
    for (int i = 0; i < BOARD_SIZE; i++) {
        if (prize_board.cells[i].revealed)
            continue;
        ASSERT_FALSE(board_exhausted()) << "after " << reveals << " reveals";
        reveal_cell(i);
        reveals++;
    }
    EXPECT_EQ(reveals, 85);
    EXPECT_TRUE(board_exhausted());
}

TEST(Reveal, ARevealSetsTheSelectedPrizeAndTheCellImage)
{
    CellImages images;
    SeededRandom seeded(11);
    deal_board();
    int prize_square = -1, empty_square = -1;
    for (int i = 0; i < BOARD_SIZE; i++) {
        const BoardCell &cell = prize_board.cells[i];
        if (cell.type == 5 && prize_square < 0)
            prize_square = i;
        if (cell.type == EMPTY_SQUARE && !cell.revealed && empty_square < 0)
            empty_square = i;
    }
    ASSERT_GE(prize_square, 0);
    ASSERT_GE(empty_square, 0);

    reveal_cell(prize_square);
    EXPECT_EQ(selected_prize, 5);
    EXPECT_EQ(prize_board.cells[prize_square].revealed, 1);
    EXPECT_EQ(images.cells[prize_square], (void *)prize_images[5]);

    reveal_cell(empty_square);
    EXPECT_EQ(selected_prize, EMPTY_SQUARE);
    EXPECT_EQ(images.cells[empty_square], (void *)prize_images[EMPTY_SQUARE]);
    EXPECT_TRUE(images.follow_board());
}

TEST(Reveal, RandomRevealsTakeOnlyCoveredSquaresOfTheType)
{
    CellImages images;
    SeededRandom seeded(5);
    deal_board();
    reveal_random_cells(0, EMPTY_SQUARE);
    reveal_random_cells(-3, EMPTY_SQUARE);
    EXPECT_EQ(make_up().revealed, 15);
    reveal_random_cells(5, 5);  // every "Telefono" of the board
    for (const BoardCell &cell : prize_board.cells) {
        if (cell.type == 5) {
            EXPECT_EQ(cell.revealed, 1);
        }
    }
    EXPECT_EQ(make_up().revealed, 20);
    EXPECT_TRUE(images.follow_board());
}

}  // namespace
