// The closing report: one self-contained HTML file, no scripts, an A4 print
// style sheet, for the closing record of the prize promotion.
#pragma once

#include <string>

#include "operator/audit.h"

// `made` is the local time the report is written, as the journal writes times.
std::string closing_report_html(const FolderView &view, const std::vector<Play> &winners, const std::string &made);

// The closing report of an event: per kiosk its period, boards, plays, prizes
// dealt and given and its verify result with the head hash; the event's
// totals; one list of the winners with their kiosk.
struct Kiosk;
std::string event_report_html(const std::vector<Kiosk> &kiosks, const std::string &made);

// Text made safe inside HTML elements and attributes.
std::string html_escaped(const std::string &text);
