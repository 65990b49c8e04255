// UTF-8 at the edges of the operator program: its arguments, the console it
// writes to, the folder it works in, and names handed to the C library. On
// Windows the C library speaks the ANSI code page, so these go through the
// wide API; elsewhere they are the plain calls.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

// The program's arguments (without its own name) in UTF-8: on Windows from the
// UTF-16 command line, so "Niccolò" arrives as the journal holds it.
std::vector<std::string> utf8_arguments(int argc, char **argv);

// Makes a Windows console show the UTF-8 the program writes (the console's
// code page is put back at exit); a redirect to a file gets the bytes as they are.
void show_utf8_on_console();

// The current folder, and a move into another, both named in UTF-8.
std::string current_folder_utf8();
bool change_folder_utf8(const std::string &folder);

// A name for the C library's own file functions: on Windows a file in the
// current folder by its bare name, any other in the ANSI code page; empty
// when the ANSI code page cannot spell it. Elsewhere the name itself.
std::string c_library_path(const std::string &utf8_path);

// A file for the program's own use, gone when closed: tmpfile() elsewhere; on
// Windows in the user's temporary folder, as the C library's tmpfile() would
// use the drive's root, where a user without administrator rights cannot write.
FILE *temporary_file();
