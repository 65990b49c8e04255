// Alternating timed rounds, stopped when the window median stops moving.
#include "bench/round_timer.h"

#include <algorithm>
#include <math.h>
#include <time.h>

double thread_cpu_ms()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

namespace
{

double wall_ms()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// Decodes per round so that one round lasts about round_ms, from a timed sample.
long decodes_per_round(const std::function<void()> &decode, double round_ms)
{
    double start = thread_cpu_ms();
    decode();
    double one = thread_cpu_ms() - start;
    if (one <= 0)
        one = 0.001;
    long count = static_cast<long>(ceil(round_ms / one));
    return count < 1 ? 1 : count;
}

double timed_round(const std::function<void()> &decode, long count)
{
    double start = thread_cpu_ms();
    for (long i = 0; i < count; i++)
        decode();
    return (thread_cpu_ms() - start) / count;
}

}  // namespace

double median_of(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double window_median(const std::vector<double> &per_round, int end, int window)
{
    int begin = end - window < 0 ? 0 : end - window;
    return median_of(std::vector<double>(per_round.begin() + begin, per_round.begin() + end));
}

bool settled(const std::vector<double> &per_round, const TimingRules &rules, double *variation)
{
    int rounds = static_cast<int>(per_round.size());
    int checks = std::min(rules.settle_checks, std::max(rounds - rules.window + 1, 1));
    double low = 0, high = 0;
    for (int i = 0; i < checks; i++) {
        double m = window_median(per_round, rounds - i, rules.window);
        if (i == 0 || m < low)
            low = m;
        if (i == 0 || m > high)
            high = m;
    }
    *variation = low > 0 ? (high - low) / low : 0;
    bool enough = rounds >= rules.window + rules.settle_checks - 1;
    return enough && *variation < rules.tolerance;
}

PairTiming time_pair(const std::function<void()> &ours, const std::function<void()> &theirs, const TimingRules &rules)
{
    // The sample decodes also warm caches and the allocator for both sides.
    long ours_count = decodes_per_round(ours, rules.round_ms);
    long theirs_count = decodes_per_round(theirs, rules.round_ms);

    std::vector<double> ours_rounds, theirs_rounds;
    PairTiming result = {};
    double start = wall_ms();
    for (;;) {
        ours_rounds.push_back(timed_round(ours, ours_count));
        theirs_rounds.push_back(timed_round(theirs, theirs_count));
        bool ours_settled = settled(ours_rounds, rules, &result.ours.variation);
        bool theirs_settled = settled(theirs_rounds, rules, &result.theirs.variation);
        result.rounds = static_cast<int>(ours_rounds.size());
        result.settled = ours_settled && theirs_settled;
        if (result.settled || result.rounds >= rules.max_rounds || wall_ms() - start >= rules.max_seconds * 1000)
            break;
    }
    result.ours.ms_per_decode = window_median(ours_rounds, result.rounds, rules.window);
    result.theirs.ms_per_decode = window_median(theirs_rounds, result.rounds, rules.window);
    std::vector<double> ratios;
    for (int i = std::max(result.rounds - rules.window, 0); i < result.rounds; i++)
        ratios.push_back(ours_rounds[i] / theirs_rounds[i]);
    result.ratio = median_of(ratios);
    return result;
}

SideTiming time_single(const std::function<void()> &decode, const TimingRules &rules, int *rounds)
{
    long count = decodes_per_round(decode, rules.round_ms);
    std::vector<double> per_round;
    SideTiming result = {};
    double start = wall_ms();
    for (;;) {
        per_round.push_back(timed_round(decode, count));
        bool done = settled(per_round, rules, &result.variation);
        if (done || static_cast<int>(per_round.size()) >= rules.max_rounds ||
            wall_ms() - start >= rules.max_seconds * 1000)
            break;
    }
    *rounds = static_cast<int>(per_round.size());
    result.ms_per_decode = window_median(per_round, *rounds, rules.window);
    return result;
}
