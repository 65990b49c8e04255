// CSV for Excel in an Italian locale: UTF-8 with a byte order mark, fields
// separated by semicolons, quoted as RFC 4180 asks, rows ending in CR LF.
#pragma once

#include <string>
#include <vector>

extern const char csv_byte_order_mark[];

// One field: quoted when it holds a separator, a quote or a line break, its
// quotes doubled; a field that starts like a formula gets an apostrophe first.
std::string csv_field(const std::string &text);

std::string csv_row(const std::vector<std::string> &fields);
