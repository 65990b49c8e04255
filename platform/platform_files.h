// The file operations the records stand on, one free function each. Which
// implementation is linked is chosen when a program is linked: the system's
// (platform_files_posix.cpp or platform_files_windows.cpp) for the game, the
// operator's program and the tools; a simulated disk for the crash tests.
// Nothing is chosen at run time, so the game calls the system directly.
#pragma once

#include <stddef.h>

#include <string>

// An open file: a small number, -1 when none.
typedef int FileHandle;

enum FileMode {
    FILE_FOR_READING,   // an existing file, read only
    FILE_FOR_UPDATE,    // read and written, created when missing
    FILE_FOR_REPLACING  // written, created when missing and emptied
};

// Every file is opened in binary mode. -1, with errno, on failure (ENOENT for a
// missing file); on Windows a file another program holds for a moment (a
// virus scanner) is tried again for up to two seconds.
FileHandle file_open(const char *path, FileMode mode);
// Reads up to `size` bytes at `offset`: how many were read (0 at the end), -1 with errno.
long file_read_at(FileHandle file, long offset, char *out, size_t size);
// Writes all the bytes at `offset`; false, with errno, when any could not be written.
bool file_write_at(FileHandle file, long offset, const char *bytes, size_t size);
// The file's size, -1 with errno.
long file_size(FileHandle file);
bool file_truncate(FileHandle file, long size);
// Puts what was written to the file on the disk.
bool file_sync(FileHandle file);
bool file_close(FileHandle file);

// Renames `from` over `to`, which may exist; false with errno.
bool file_rename(const char *from, const char *to);
bool file_remove(const char *path);
// Puts the names in the folder of `path` (new files, renames, removals) on the
// disk. A folder that cannot be synced is not an error: some systems cannot.
void folder_sync(const char *path);

// The reason of a failure of these functions, given its errno, in words: the
// system's own where errno cannot hold it (a failed rename on Windows).
std::string file_error_text(int error);
