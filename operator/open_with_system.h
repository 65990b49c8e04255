// Handing a written file (or a folder) to the program the system opens it
// with: the browser for the closing report, Excel for the CSV, the text
// editor for the result of verify.
#pragma once

#include <string>

// Asks the system to open the file at `utf8_path` (absolute) and returns at
// once: ShellExecuteW on Windows, xdg-open elsewhere. False, with the reason
// in Italian, when the request could not be made.
bool open_with_system(const std::string &utf8_path, std::string *reason);

// Shows a failure in a window of its own when the program has no console to
// write it to (on Windows, started from the Start menu with its console
// closing at exit); does nothing elsewhere.
void show_failure_window(const std::string &text);
