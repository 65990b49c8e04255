// jpeg_bench: decode speed of the game's JPEG decoder beside libjpeg-turbo, in
// one process and one run, on the game's ten backgrounds and on sixteen
// generated pictures; also checks that both decoders agree on every picture.
// Usage: jpeg_bench [--before] [--path avx2|sse4|sse2|portable] [graphics.dat]
// (default datafile: the build's play folder). --path times our decoder on that
// vector path and libjpeg-turbo at the matching level of its own SIMD code;
// without it every path this processor runs is timed in turn, each in a fresh
// process (libjpeg-turbo reads its JSIMD_* variables once, at its first
// decode). --before also times decode_jpeg_reference, the straightforward
// decoder the fast one replaced, so before and after come from the same run.
#include "jpeg/cpu_features.h"
#include "jpeg/decode_jpeg.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "bench/game_backgrounds.h"
#include "bench/generated_pictures.h"
#include "tests/support/libjpeg_codec.h"
#include "bench/round_timer.h"

namespace
{

struct Result {
    std::string name;
    std::string kind;  // what the summary groups by
    int width, height;
    bool timed;
    double ours_ms, theirs_ms;
    double ratio;      // PairTiming's
    double before_ms;  // the straightforward decoder; 0 when not timed
};

// Our bitmap against libjpeg's RGB: sizes must match, grey pictures must match
// exactly; colour ones only report their largest channel difference, since our
// colour step (no interpolation, double precision) may differ slightly.
bool check_agreement(BITMAP *ours, const uint8_t *theirs, int width, int height, bool grey, std::string *note)
{
    if (ours->w != width || ours->h != height || bitmap_color_depth(ours) != 24) {
        *note = "FAIL: ours " + std::to_string(ours->w) + "x" + std::to_string(ours->h) + " at " +
                std::to_string(bitmap_color_depth(ours)) + " bits, libjpeg " + std::to_string(width) + "x" +
                std::to_string(height);
        return false;
    }
    int largest = 0;
    long differing = 0, off_by_more = 0;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            int pixel = getpixel(ours, x, y);
            const uint8_t *p = theirs + (static_cast<size_t>(y) * width + x) * 3;
            int d[3] = {abs(getr24(pixel) - p[0]), abs(getg24(pixel) - p[1]), abs(getb24(pixel) - p[2])};
            int most = d[0] > d[1] ? d[0] : d[1];
            most = most > d[2] ? most : d[2];
            largest = most > largest ? most : largest;
            differing += most != 0;
            off_by_more += most > 2;
        }
    }
    if (grey) {
        if (differing == 0) {
            *note = "grey exact";
            return true;
        }
        *note = "FAIL: " + std::to_string(differing) + " grey pixels differ, by up to " + std::to_string(largest);
        return false;
    }
    char text[80];
    snprintf(text, sizeof text, "max channel diff %d, %ld pixels off by >2", largest, off_by_more);
    *note = text;
    return true;
}

double megapixels_per_second(int width, int height, double ms)
{
    return ms > 0 ? static_cast<double>(width) * height / 1e6 / (ms / 1000) : 0;
}

// Checks and times one picture, printing its line; false when a check failed.
bool bench_picture(const BenchPicture &picture, const std::string &group, LibjpegDecoder *libjpeg,
                   const TimingRules &rules, bool before, std::vector<Result> *results)
{
    const uint8_t *data = picture.jpeg.data();
    size_t size = picture.jpeg.size();
    JpegLayout layout = libjpeg_read_layout(libjpeg, data, size);
    std::string layout_text = layout.ok ? layout_name(layout) : "?";
    std::string size_text = std::to_string(layout.width) + "x" + std::to_string(layout.height);
    printf("%-22s %-9s %-9s %7zu ", picture.name.c_str(), size_text.c_str(), layout_text.c_str(), size);
    fflush(stdout);

    int width = 0, height = 0;
    uint8_t *theirs = libjpeg_decode_rgb(libjpeg, data, size, &width, &height);
    BITMAP *ours = decode_jpeg(data, size, nullptr);
    std::string note = !ours ? "FAIL: our decoder refused it" : "FAIL: libjpeg-turbo refused it";
    bool ok = ours && theirs && check_agreement(ours, theirs, width, height, layout.components == 1, &note);
    destroy_bitmap(ours);
    free(theirs);
    if (!ok) {
        printf("%s\n", note.c_str());
        fflush(stdout);
        return false;
    }

    PairTiming timing = time_pair([&] { destroy_bitmap(decode_jpeg(data, size, nullptr)); },
                                  [&] {
                                      int w, h;
                                      free(libjpeg_decode_rgb(libjpeg, data, size, &w, &h));
                                  },
                                  rules);
    double ours_ms = timing.ours.ms_per_decode, theirs_ms = timing.theirs.ms_per_decode;
    double variation =
        timing.ours.variation > timing.theirs.variation ? timing.ours.variation : timing.theirs.variation;
    printf("%8.2f %8.2f %7.1f %7.1f %7.2f %4d%s %5.1f%%  %s", ours_ms, theirs_ms,
           megapixels_per_second(width, height, ours_ms), megapixels_per_second(width, height, theirs_ms),
           timing.ratio, timing.rounds, timing.settled ? " " : "*", variation * 100, note.c_str());
    double before_ms = 0;
    if (before) {
        int rounds = 0;
        SideTiming reference =
            time_single([&] { destroy_bitmap(decode_jpeg_reference(data, size, nullptr)); }, rules, &rounds);
        before_ms = reference.ms_per_decode;
        printf("; before %.2f ms (%.1fx ours)", before_ms, before_ms / ours_ms);
    }
    printf("\n");
    fflush(stdout);

    // Generated pictures group with and without restarts.
    JpegLayout plain = layout;
    plain.restart_interval = 0;
    std::string kind = group.empty() ? size_text + " " + layout_name(plain) : group;
    results->push_back({picture.name, kind, width, height, true, ours_ms, theirs_ms, timing.ratio, before_ms});
    return true;
}

// Mean figures per kind of picture, in order of first appearance: the rows of
// the table in docs/decoder.md.
void print_kinds(const std::vector<Result> &results, bool before)
{
    std::vector<std::string> kinds;
    for (const Result &r : results) {
        bool known = false;
        for (const std::string &k : kinds)
            known |= k == r.kind;
        if (!known)
            kinds.push_back(r.kind);
    }
    printf("\nper picture kind (mean of its pictures)     ours ms   libjpeg-turbo ms   ratio%s\n",
           before ? "   before ms" : "");
    for (const std::string &kind : kinds) {
        double ours = 0, theirs = 0, earlier = 0;
        int count = 0;
        for (const Result &r : results) {
            if (r.kind != kind)
                continue;
            ours += r.ours_ms;
            theirs += r.theirs_ms;
            earlier += r.before_ms;
            count++;
        }
        printf("%-40s %10.2f %18.2f %7.2f", kind.c_str(), ours / count, theirs / count, ours / theirs);
        if (before)
            printf(" %11.2f", earlier / count);
        printf("\n");
    }
}

// libjpeg-turbo's SIMD level that matches each of our paths: it has no SSE4
// code, so both SSE paths meet its SSE2 code.
const char *libjpeg_simd_variable(VectorPath path)
{
    switch (path) {
    case VECTOR_PATH_AVX2:
        return "JSIMD_FORCEAVX2";
    case VECTOR_PATH_PORTABLE:
        return "JSIMD_FORCENONE";
    default:
        return "JSIMD_FORCESSE2";
    }
}

// This program again with `path` forced on both sides; the caller's process
// image is replaced. Returns only when the exec failed.
void reexec_for_path(char **argv, VectorPath path)
{
    setenv("TABELLONE_JPEG_PATH", vector_path_name(path), 1);
    unsetenv("JSIMD_FORCEAVX2");
    unsetenv("JSIMD_FORCESSE2");
    unsetenv("JSIMD_FORCENONE");
    setenv(libjpeg_simd_variable(path), "1", 1);
    execv("/proc/self/exe", argv);
    fprintf(stderr, "jpeg_bench: cannot restart itself: %s\n", strerror(errno));
}

// Runs one child per available path, fastest first, echoing its output, and
// ends with each path's worst ratio. Returns the exit status.
int run_every_path(const char *self, bool before, const char *datafile)
{
    std::vector<std::string> worst_lines;
    int status_out = 0;
    for (int p = VECTOR_PATH_COUNT - 1; p >= 0; p--) {
        VectorPath path = static_cast<VectorPath>(p);
        if (!vector_path_available(path))
            continue;
        std::vector<const char *> args = {self};
        if (before)
            args.push_back("--before");
        args.push_back("--path");
        args.push_back(vector_path_name(path));
        if (datafile)
            args.push_back(datafile);
        args.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0)
            return 2;
        fflush(stdout);
        pid_t child = fork();
        if (child == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            reexec_for_path(const_cast<char **>(args.data()), path);
            _exit(2);
        }
        close(out[1]);
        FILE *from = fdopen(out[0], "r");
        char line[1024];
        while (fgets(line, sizeof line, from)) {
            fputs(line, stdout);
            fflush(stdout);
            if (strncmp(line, "worst ratio", 11) == 0)
                worst_lines.push_back(std::string(vector_path_name(path)) + ": " + line);
        }
        fclose(from);
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            status_out = 1;
        printf("\n");
    }
    printf("summary, each path against libjpeg-turbo at its level:\n");
    for (const std::string &line : worst_lines)
        printf("  %s", line.c_str());
    return status_out;
}

}  // namespace

int main(int argc, char **argv)
{
    bool before = false;
    const char *path_name = nullptr, *datafile_arg = nullptr;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--before") == 0) {
            before = true;
        } else if (strcmp(argv[i], "--path") == 0 && i + 1 < argc) {
            path_name = argv[++i];
        } else if (argv[i][0] != '-' && !datafile_arg) {
            datafile_arg = argv[i];
        } else {
            fprintf(stderr, "usage: jpeg_bench [--before] [--path avx2|sse4|sse2|portable] [graphics.dat]\n");
            return 2;
        }
    }
    if (!path_name)
        return run_every_path(argv[0], before, datafile_arg);

    VectorPath path;
    if (!vector_path_from_name(path_name, &path)) {
        fprintf(stderr, "jpeg_bench: %s is not a path (avx2, sse4, sse2 or portable)\n", path_name);
        return 2;
    }
    if (!vector_path_available(path)) {
        fprintf(stderr, "jpeg_bench: this processor cannot run the %s path\n", path_name);
        return 2;
    }
    const char *simd_variable = libjpeg_simd_variable(path);
    const char *forced = getenv("TABELLONE_JPEG_PATH");
    const char *simd_value = getenv(simd_variable);
    if (!forced || strcmp(forced, path_name) != 0 || !simd_value || strcmp(simd_value, "1") != 0) {
        reexec_for_path(argv, path);
        return 2;
    }
    const char *datafile = datafile_arg ? datafile_arg : TABELLONE_GRAPHICS_DAT;

    // No screen: bitmaps only, at the depth the decoder makes so nothing is converted.
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        fprintf(stderr, "jpeg_bench: cannot start Allegro\n");
        return 2;
    }
    set_color_depth(24);

    std::string error;
    std::vector<BenchPicture> backgrounds = game_backgrounds(datafile, &error);
    if (backgrounds.empty()) {
        fprintf(stderr, "jpeg_bench: %s\n", error.c_str());
        return 2;
    }
    std::vector<BenchPicture> generated = generated_pictures();

    TimingRules rules;
    printf("path %s: ours on the %s path, libjpeg-turbo with %s=1\n", path_name, path_name, simd_variable);
    printf("ours: decode_jpeg into a new bitmap; libjpeg-turbo: islow IDCT, no fancy upsampling, RGB out,\n"
           "into a new buffer. Times are this thread's CPU time (waits for a busy core left out).\n"
           "Rounds alternate ours/libjpeg-turbo (>= %.0f ms each) until the median of\n"
           "the last %d rounds moves under %.0f%% over %d rounds (cap %d rounds or %.0f s per picture; * = cap hit).\n"
           "var = that movement, the larger of the two sides. ratio = the median, over those\n"
           "rounds, of ours/libjpeg-turbo from each round and the one beside it.\n\n",
           rules.round_ms, rules.window, rules.tolerance * 100, rules.settle_checks, rules.max_rounds,
           rules.max_seconds);
    printf("%-22s %-9s %-9s %7s %8s %8s %7s %7s %7s %5s %6s  %s\n", "picture", "size", "layout", "bytes", "ours ms",
           "ljt ms", "ours", "ljt", "ratio", "rnds", "var", "check");
    printf("%-22s %-9s %-9s %7s %8s %8s %7s %7s %7s %5s %6s\n", "", "", "", "", "", "", "MP/s", "MP/s", "/ljt", "", "");

    LibjpegDecoder *libjpeg = libjpeg_decoder_create();
    std::vector<Result> results;
    bool all_ok = true;
    for (const BenchPicture &picture : backgrounds)
        all_ok &= bench_picture(picture, "game backgrounds (ten, 800x600)", libjpeg, rules, before, &results);
    for (const BenchPicture &picture : generated)
        all_ok &= bench_picture(picture, "", libjpeg, rules, before, &results);
    libjpeg_decoder_destroy(libjpeg);

    print_kinds(results, before);

    const Result *worst = nullptr;
    for (const Result &r : results)
        if (r.width == 800 && r.height == 600 &&
            (!worst || r.ratio > worst->ratio))
            worst = &r;
    if (!all_ok)
        printf("\nSOME CHECKS FAILED (lines marked FAIL above)\n");
    if (worst)
        printf("worst ratio over the 800x600 pictures: %.2f (%s)\n", worst->ratio,
               worst->name.c_str());
    else
        printf("worst ratio over the 800x600 pictures: none timed\n");
    if (fastest_vector_path() != path) {
        printf("FAIL: the decoder ran the %s path\n", vector_path_name(fastest_vector_path()));
        return 1;
    }
    return all_ok ? 0 : 1;
}
