// Lines split one way for every record file, streamed across the reader's
// blocks; and the game's read of the journal's tail ending where the whole
// walk ends: same head, same size, a torn last line seen as torn.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/journal_walk.h"
#include "platform/line_reader.h"
#include "tests/support/scratch_files.h"

namespace
{

class JournalWalkTest : public ScratchFolder
{
};

TEST_F(JournalWalkTest, LinesSplitAtLfAcrossBlocksWithTheirOffsetsAndATornEnd)
{
    std::string long_line(70000, 'a');  // longer than one block of the reader
    std::string bytes = "uno\r\n\r\n" + long_line + "\r\ndue\rtre\nquattro";
    write_file("lines.txt", bytes);
    LineReader reader;
    ASSERT_TRUE(open_line_reader("lines.txt", &reader));
    std::vector<std::string> texts;
    std::vector<long> offsets;
    std::vector<bool> ends;
    std::string text;
    long offset;
    bool ended;
    while (read_line(&reader, &text, &offset, &ended)) {
        texts.push_back(text);
        offsets.push_back(offset);
        ends.push_back(ended);
    }
    EXPECT_FALSE(reader.failed);
    close_line_reader(&reader);
    EXPECT_EQ(texts, (std::vector<std::string>{"uno", "", long_line, "due\rtre", "quattro"}));
    EXPECT_EQ(offsets, (std::vector<long>{0, 5, 7, 70009, 70017}));
    EXPECT_EQ(ends, (std::vector<bool>{true, true, true, true, false}));
    LineSpan last = line_at(bytes.data(), bytes.size(), 70017);
    EXPECT_EQ(last.text_size, 7u);
    EXPECT_EQ(last.next, bytes.size());
}

TEST_F(JournalWalkTest, TheTailEndsWhereTheWholeWalkEnds)
{
    for (const std::string &bytes : {std::string(), std::string("{\"event\":\"run_started\",\"prev\":\"0\"}\r\n{\"eve"),
                                     std::string("x\r\n") + std::string(200000, 'y') + "\r\n"}) {
        write_file(journal_file_name, bytes);
        JournalWalk walk;
        bool present;
        ASSERT_TRUE(open_journal_walk(journal_file_name, &walk, &present));
        JournalLine line;
        int lines = 0;
        while (next_journal_line(&walk, &line))
            lines++;
        close_journal_walk(&walk);
        JournalTail tail;
        std::string reason;
        ASSERT_TRUE(read_journal_tail(journal_file_name, &tail, &reason)) << reason;
        EXPECT_EQ(tail.size, (long)bytes.size());
        EXPECT_EQ(walk.size, (long)bytes.size());
        EXPECT_EQ(tail.head_hash, walk.head_hash);
        EXPECT_EQ(tail.ends_with_line_end, walk.ends_with_line_end);
        EXPECT_TRUE(tail.from_start) << "none of these has a board and a play to stop at";
        EXPECT_EQ((int)tail.lines.size(), lines);
    }
}

}  // namespace
