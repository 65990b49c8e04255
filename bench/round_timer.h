// Timing two decoders against each other: rounds alternate ours and theirs,
// each round long enough to dwarf the clock's resolution, until the median of
// the last few rounds settles (or a cap is reached). Rounds are timed in the
// thread's CPU time: on a machine shared with other work, time spent waiting
// for a core stays out of the figures (cache contention does not).
#pragma once

#include <functional>
#include <vector>

struct TimingRules {
    double round_ms = 40;     // each side's round lasts at least this long
    int window = 5;           // rounds whose median is the figure
    int settle_checks = 3;    // that many successive window medians must agree...
    double tolerance = 0.02;  // ...within this fraction of the smallest
    int max_rounds = 40;
    double max_seconds = 3.0;  // per picture, both sides together, wall-clock
};

struct SideTiming {
    double ms_per_decode;  // median of the last window
    double variation;      // (largest - smallest) / smallest of the last settle_checks medians
};

struct PairTiming {
    SideTiming ours, theirs;
    // Median over the last window of ours / theirs round by round: each ratio
    // compares two rounds next to each other in time, so a slow spell of the
    // machine that holds both cancels out of it.
    double ratio;
    int rounds;
    bool settled;  // false when a cap ended the rounds first
};

// CPU time of the calling thread, in ms: what the rounds are timed in.
double thread_cpu_ms();

double median_of(std::vector<double> values);

// Median of the `window` values ending at index `end` (exclusive) of `per_round`.
double window_median(const std::vector<double> &per_round, int end, int window);

// Whether the medians of the last settle_checks windows of `per_round` lie
// within the tolerance of one another; writes that spread into *variation.
bool settled(const std::vector<double> &per_round, const TimingRules &rules, double *variation);

// Times one decoder alone, by the same rounds and stop rule.
SideTiming time_single(const std::function<void()> &decode, const TimingRules &rules, int *rounds);

// Times `ours` and `theirs` (one decode a call) in alternating rounds.
PairTiming time_pair(const std::function<void()> &ours, const std::function<void()> &theirs, const TimingRules &rules);
