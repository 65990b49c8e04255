// The closing report: one self-contained HTML file, no scripts, an A4 print
// style sheet, for the closing record of the prize promotion.
#pragma once

#include <string>

#include "operator/audit.h"

// `made` is the local time the report is written, as the journal writes times.
std::string closing_report_html(const FolderView &view, const std::vector<Play> &winners, const std::string &made);

// Text made safe inside HTML elements and attributes.
std::string html_escaped(const std::string &text);
