// The decode-jpeg command: PPM output bytes, exit statuses and messages.
#include "tests/support/scratch_files.h"
#include "tests/support/libjpeg_codec.h"
#include "jpeg/cpu_features.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

struct ToolRun {
    int status = -1;
    std::string err;
};

// One scratch folder for the command's files, removed when the tests end.
std::string temp_dir()
{
    static const struct Folder {
        std::string path = make_scratch_folder();
        ~Folder()
        {
            remove_scratch_folder(path);
        }
    } folder;
    return folder.path;
}

// `env` (NAME=value, or empty) is set for the command alone.
ToolRun run_tool(const std::string &args, const std::string &env = "")
{
    std::string err_path = temp_dir() + "/stderr.txt";
    std::string command = env + " " + DECODE_JPEG_TOOL + " " + args + " 2>" + err_path;
    ToolRun run;
    int raw = system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::vector<uint8_t> err;
    read_file(err_path, &err);
    run.err.assign(err.begin(), err.end());
    return run;
}

std::vector<uint8_t> picture(int w, int h, int components)
{
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * components);
    for (size_t i = 0; i < px.size(); i++)
        px[i] = static_cast<uint8_t>((i * 7 + i / 13) % 251);
    return px;
}

TEST(DecodeJpegTool, GreyPictureBecomesP6EqualToLibjpeg)
{
    EncodeOptions o;
    o.components = 1;
    std::vector<uint8_t> jpeg = libjpeg_encode(picture(21, 10, 1), 21, 10, o);
    std::string in = temp_dir() + "/grey.jpg", out = temp_dir() + "/grey.ppm";
    ASSERT_TRUE(write_file(in, jpeg));
    ToolRun run = run_tool(in + " " + out);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    std::vector<uint8_t> ppm, grey;
    ASSERT_TRUE(read_file(out, &ppm));
    int w, h;
    ASSERT_TRUE(libjpeg_decode_grey(jpeg, &grey, &w, &h));
    std::string header = "P6\n21 10\n255\n";
    ASSERT_EQ(ppm.size(), header.size() + 21 * 10 * 3);
    EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + static_cast<long>(header.size())), header);
    for (size_t i = 0; i < grey.size(); i++)
        for (int c = 0; c < 3; c++)
            ASSERT_EQ(ppm[header.size() + i * 3 + c], grey[i]) << i;
}

TEST(DecodeJpegTool, RepeatReportsTiming)
{
    EncodeOptions o;
    o.luma_h = o.luma_v = 2;
    std::string in = temp_dir() + "/colour.jpg", out = temp_dir() + "/colour.ppm";
    ASSERT_TRUE(write_file(in, libjpeg_encode(picture(32, 16, 3), 32, 16, o)));
    ToolRun run = run_tool("--repeat 3 " + in + " " + out);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("ms per decode"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("megapixels/s"), std::string::npos) << run.err;
    std::vector<uint8_t> ppm;
    ASSERT_TRUE(read_file(out, &ppm));
    EXPECT_EQ(ppm.size(), std::string("P6\n32 16\n255\n").size() + 32 * 16 * 3);
}

TEST(DecodeJpegTool, RefusedAndUnreadableFiles)
{
    // A progressive picture is refused: status 1, one line with the reason, nothing written.
    EncodeOptions progressive{1};
    progressive.progressive = true;
    std::vector<uint8_t> jpeg = libjpeg_encode(picture(8, 8, 1), 8, 8, progressive);
    size_t sof = 0;
    while (sof + 1 < jpeg.size() && !(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC2))
        sof++;
    std::string in = temp_dir() + "/refused.jpg", out = temp_dir() + "/refused.ppm";
    ASSERT_TRUE(write_file(in, jpeg));
    ToolRun refused = run_tool(in + " " + out);
    EXPECT_EQ(refused.status, 1);
    refused.err.erase(std::remove(refused.err.begin(), refused.err.end(), '\r'), refused.err.end());  // Windows' text mode
    EXPECT_EQ(refused.err,
              "decode-jpeg: " + in + ": refused: progressive JPEG (SOF2 at byte " + std::to_string(sof) + ")\n");
    EXPECT_NE(access(out.c_str(), F_OK), 0);

    ToolRun missing = run_tool(temp_dir() + "/no-such-file.jpg " + out);
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no-such-file.jpg"), std::string::npos) << missing.err;
    EXPECT_NE(access(out.c_str(), F_OK), 0);

    EXPECT_EQ(run_tool("only-one-argument").status, 2);
}

TEST(DecodeJpegTool, EnvironmentForcesEachPathOrRefusesIt)
{
    EncodeOptions o;
    o.luma_h = o.luma_v = 2;
    std::string in = temp_dir() + "/paths.jpg", out = temp_dir() + "/paths.ppm";
    ASSERT_TRUE(write_file(in, libjpeg_encode(picture(40, 24, 3), 40, 24, o)));
    ASSERT_EQ(run_tool(in + " " + out).status, 0);
    std::vector<uint8_t> fastest, forced;
    ASSERT_TRUE(read_file(out, &fastest));
    for (int p = 0; p < VECTOR_PATH_COUNT; p++) {
        const VectorPath path = static_cast<VectorPath>(p);
        remove(out.c_str());
        forced.clear();
        ToolRun run = run_tool(in + " " + out, std::string("TABELLONE_JPEG_PATH=") + vector_path_name(path));
        if (vector_path_available(path)) {
            ASSERT_EQ(run.status, 0) << vector_path_name(path) << ": " << run.err;
            ASSERT_TRUE(read_file(out, &forced));
            EXPECT_EQ(forced, fastest) << vector_path_name(path);
        } else {
            // Refused, never replaced by a path the processor runs.
            EXPECT_EQ(run.status, 2) << vector_path_name(path);
            EXPECT_NE(run.err.find("cannot run"), std::string::npos) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_NE(access(out.c_str(), F_OK), 0);
        }
    }
    ToolRun unknown = run_tool(in + " " + out, "TABELLONE_JPEG_PATH=neon");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("not a path"), std::string::npos) << unknown.err;
    EXPECT_EQ(std::count(unknown.err.begin(), unknown.err.end(), '\n'), 1) << unknown.err;
}

}  // namespace
