// CSV fields and rows for Excel in an Italian locale.
#include "operator/csv.h"

const char csv_byte_order_mark[] = "\xEF\xBB\xBF";

std::string csv_field(const std::string &text)
{
    // A phone number such as "+39 333" would otherwise be taken for a formula.
    std::string value = !text.empty() && std::string("=+-@").find(text[0]) != std::string::npos ? "'" + text : text;
    if (value.find_first_of(";\"\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string csv_row(const std::vector<std::string> &fields)
{
    std::string row;
    for (size_t i = 0; i < fields.size(); i++)
        row += (i ? ";" : "") + csv_field(fields[i]);
    return row + "\r\n";
}
