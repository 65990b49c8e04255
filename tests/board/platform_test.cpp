// The platform services: SHA-256, the random draw, local time with its offset,
// the errors file and the folder lock.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error_report.h"
#include "platform/folder_lock.h"
#include "platform/local_time.h"
#include "platform/random_source.h"
#include "platform/sha256.h"
#include "tests/support/scratch_files.h"

namespace
{

TEST(Sha256, TheStandardTestVectors)
{
    EXPECT_EQ(sha256_hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256_hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    std::string million(1000000, 'a');
    EXPECT_EQ(sha256_hex(million.data(), million.size()),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// A source that hands out the queued bytes in order and fails when they run out.
std::vector<uint8_t> queued;
size_t taken;

bool queued_bytes(uint8_t *out, size_t size)
{
    for (size_t i = 0; i < size; i++) {
        if (taken == queued.size())
            return false;
        out[i] = queued[taken++];
    }
    return true;
}

int draw(int n, std::vector<uint8_t> bytes)
{
    queued = bytes;
    taken = 0;
    set_random_bytes(queued_bytes);
    int drawn = random_below(n);
    set_random_bytes(nullptr);
    return drawn;
}

TEST(RandomBelow, BytesAboveTheLastWholeMultipleAreDrawnAgain)
{
    EXPECT_EQ(draw(100, {250, 200, 37}), 37);
    EXPECT_EQ(taken, 3u);
    EXPECT_EQ(draw(100, {199}), 99);
    EXPECT_EQ(draw(3, {255, 254}), 2);  // 255 is the one byte past 85 whole threes
    EXPECT_EQ(taken, 2u);
    EXPECT_EQ(draw(256, {255}), 255);
    EXPECT_EQ(draw(256, {0}), 0);
    EXPECT_EQ(draw(1, {255}), 0);
}

uint8_t next_byte;

bool counting_bytes(uint8_t *out, size_t size)
{
    for (size_t i = 0; i < size; i++)
        out[i] = next_byte++;
    return true;
}

TEST(RandomBelow, EveryRunOfAllByteValuesGivesEachNumberEqually)
{
    set_random_bytes(counting_bytes);
    for (int n : {3, 7, 100, 200, 256}) {
        next_byte = 0;
        int accepted = 256 - 256 % n;  // per run of the 256 byte values
        std::vector<int> counts(n);
        for (int draws = 0; draws < 4 * accepted; draws++)
            counts[random_below(n)]++;
        for (int v = 0; v < n; v++)
            ASSERT_EQ(counts[v], 4 * accepted / n) << "n " << n << " value " << v;
    }
    set_random_bytes(nullptr);
}

class ErrorsFile : public ScratchFolder
{
};

TEST_F(ErrorsFile, AFailingSourceStopsTheProgramWithAReport)
{
    EXPECT_EXIT(draw(10, {}), testing::ExitedWithCode(1),
                "^tabellone: the system's random source failed; the board cannot be dealt fairly\n$");
}

TEST(RandomSource, TheSystemSourceGivesBytes)
{
    uint8_t a[32] = {}, b[32] = {};
    ASSERT_TRUE(os_random_bytes(a, sizeof a) && os_random_bytes(b, sizeof b));
    EXPECT_NE(std::string(a, a + 32), std::string(b, b + 32));
}

std::string iso_in_zone(const char *zone, time_t when)
{
    const char *previous = getenv("TZ");
    std::string saved = previous ? previous : "";
    setenv("TZ", zone, 1);
    tzset();
    std::string text = local_time_iso(when);
    if (previous)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    return text;
}

TEST(LocalTime, TheOffsetFollowsTheZoneAndItsSummerTime)
{
    EXPECT_EQ(iso_in_zone("Europe/Rome", 1796807472), "2026-12-09T10:11:12+01:00");
    EXPECT_EQ(iso_in_zone("Europe/Rome", 1782900000), "2026-07-01T12:00:00+02:00");
    EXPECT_EQ(iso_in_zone("Europe/Rome", 1798759800), "2027-01-01T00:30:00+01:00");  // a year ahead of UTC
    EXPECT_EQ(iso_in_zone("America/St_Johns", 1796823672), "2026-12-09T10:11:12-03:30");
    EXPECT_EQ(iso_in_zone("UTC", 1796807472), "2026-12-09T09:11:12+00:00");
}

// The line the errors file should hold for the text, stamped at some second from first to last.
bool stamped_line(const std::string &line, time_t first, time_t last, const std::string &text)
{
    for (time_t t = first; t <= last; t++) {
        struct tm local;
        char stamp[32];
        strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", localtime_r(&t, &local));
        if (line == std::string(stamp) + " " + text + "\r\n")
            return true;
    }
    return false;
}

TEST_F(ErrorsFile, EachReportGoesToStandardErrorAndIsAppendedWithItsTime)
{
    EXPECT_STREQ(errors_file_name, "tabellone-errori.txt");
    write_file(errors_file_name, "earlier line\r\n");
    time_t first = time(NULL);
    testing::internal::CaptureStderr();
    report_error("cannot read %s: %d", "state.dat", 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tabellone: cannot read state.dat: 7\n");
    std::string bytes = read_file(errors_file_name);
    ASSERT_EQ(bytes.compare(0, 14, "earlier line\r\n"), 0);
    EXPECT_TRUE(stamped_line(bytes.substr(14), first, time(NULL), "cannot read state.dat: 7")) << bytes;
}

class FolderLock : public ScratchFolder
{
};

TEST_F(FolderLock, OneProcessHoldsItUntilItIsKilled)
{
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        // The holder asks too, and opens and closes the file (which would drop a
        // classic fcntl lock), before the parent checks that it still holds the lock.
        char reason[128];
        bool locked = lock_folder(reason, sizeof reason);
        close(open(lock_file_name, O_RDONLY));
        char report = locked ? (folder_locked_elsewhere() ? 'e' : 'h') : 'n';
        (void)!write(pipe_ends[1], &report, 1);
        pause();
        _exit(0);
    }
    char report = 0;
    (void)!read(pipe_ends[0], &report, 1);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    char reason[128] = "";
    bool locked = lock_folder(reason, sizeof reason);
    bool elsewhere = folder_locked_elsewhere();
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);

    EXPECT_EQ(report, 'h') << "the holder took the lock and does not see itself as another process";
    EXPECT_FALSE(locked);
    EXPECT_STREQ(reason, "another Tabellone is already running in this folder");
    EXPECT_TRUE(elsewhere);
    EXPECT_FALSE(folder_locked_elsewhere()) << "a killed holder leaves the folder free";
    EXPECT_TRUE(lock_folder(reason, sizeof reason));
    EXPECT_FALSE(folder_locked_elsewhere());
}

}  // namespace
