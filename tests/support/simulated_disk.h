// A disk in memory behind the records' file operations, linked into the crash
// tests instead of the system's: a write stays pending until its file is
// synced, a new name, a rename or a removal until its folder is synced, and a
// power cut keeps what was synced and any chosen part of what was pending.
// Writes can be made to fail (a full disk, an I/O error), part-way or whole.
#pragma once

#include <errno.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// One change not yet synced: to a file's bytes, or to the folder's names.
struct PendingChange {
    enum Kind { WRITE, TRUNCATE, NAMES } kind = WRITE;
    long offset = 0;            // WRITE: where; TRUNCATE: the new size
    std::string bytes;          // WRITE
    std::string unlinked;       // NAMES: the name that goes ("" for none)
    std::string linked;         // NAMES: the name that comes ("" for none)
    int file = -1;              // the file written, or linked
};

struct DiskFile {
    std::string bytes;   // as a program reads it now
    std::string synced;  // as a power cut leaves it at least
    std::vector<PendingChange> pending;
};

struct SimulatedDisk {
    std::vector<DiskFile> files;
    std::map<std::string, int> names, synced_names;
    std::vector<PendingChange> pending_names;
    std::vector<int> handles;  // the file behind each open handle, -1 once closed
    long operations = 0;       // changes and syncs so far
};

extern SimulatedDisk disk;
// Called after every operation that changes or syncs something (the crash
// tests take a copy of the disk there).
extern std::function<void()> after_disk_operation;

// What a power cut does to one pending change: lost, kept, or (a write
// crossing 512-byte sectors) kept up to the sector boundary `torn_at`.
struct ChangeFate {
    enum { LOST, KEPT, TORN } fate;
    long torn_at = 0;
};
// Every fate each pending change of `before` may meet, in the order
// power_cut takes them: the files' changes, then the folder's.
std::vector<std::vector<ChangeFate>> possible_fates(const SimulatedDisk &before);
// The disk as it comes back after a power cut: everything synced.
SimulatedDisk power_cut(const SimulatedDisk &before, const std::vector<ChangeFate> &fates);

// Writes fail, from the byte `after_bytes` of writing from now on, with
// `error` (ENOSPC for a full disk, EIO): the write that crosses it lands in
// part. A negative count lets every write through again.
void fail_writes(long after_bytes, int error = ENOSPC);

// A file's bytes as a program would read them ("" when missing), and a file
// put in place durably, as if it had been there before the test.
std::string disk_bytes(const std::string &name);
bool disk_has(const std::string &name);
void put_on_disk(const std::string &name, const std::string &bytes);
void clear_disk();
