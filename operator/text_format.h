// Small text helpers shared by the commands: times as an Italian reader
// writes them, and the head hash cut in groups for copying onto paper.
#pragma once

#include <string>

// "2026-12-09T10:11:12+01:00" as "09/12/2026 10:11:12"; other text as it is.
std::string italian_time(const std::string &iso);

// The hash in groups of eight digits, separated by spaces.
std::string grouped_hash(const std::string &hash);

// Text padded with spaces to `width` characters (UTF-8 aware).
std::string pad_right(const std::string &text, size_t width);
