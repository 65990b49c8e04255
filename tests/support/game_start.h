// The game's start-up on the records of the current folder, as the tests run
// it: the records opened, a deal, the board settled; what it said on standard error.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "board/board.h"
#include "board/records.h"

inline std::string start_game_records()
{
    std::string reason;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(open_records(&reason)) << reason;
    deal_board();
    EXPECT_TRUE(restore_records(&reason)) << reason;
    return testing::internal::GetCapturedStderr();
}
