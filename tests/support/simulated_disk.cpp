// The simulated disk: the records' file operations on files in memory, with
// what is synced kept apart from what is pending.
#include "tests/support/simulated_disk.h"

#include <string.h>

#include "platform/platform_files.h"

SimulatedDisk disk;
std::function<void()> after_disk_operation;

static long write_budget = -1;  // bytes writes may still put down, -1 for no limit
static int write_error = ENOSPC;

static void done_operation()
{
    disk.operations++;
    if (after_disk_operation)
        after_disk_operation();
}

static void apply(std::string *bytes, const PendingChange &change, long keep)
{
    if (change.kind == PendingChange::TRUNCATE) {
        bytes->resize((size_t)change.offset, '\0');
        return;
    }
    if (bytes->size() < (size_t)change.offset)
        bytes->resize((size_t)change.offset, '\0');
    bytes->replace((size_t)change.offset, std::min((size_t)keep, bytes->size() - (size_t)change.offset),
                   change.bytes, 0, (size_t)keep);
}

static void apply_names(std::map<std::string, int> *names, const PendingChange &change)
{
    if (!change.unlinked.empty())
        names->erase(change.unlinked);
    if (!change.linked.empty())
        (*names)[change.linked] = change.file;
}

static void change_file(int file, const PendingChange &change)
{
    apply(&disk.files[file].bytes, change, (long)change.bytes.size());
    disk.files[file].pending.push_back(change);
}

static void change_names(const std::string &unlinked, const std::string &linked, int file)
{
    PendingChange change;
    change.kind = PendingChange::NAMES;
    change.unlinked = unlinked;
    change.linked = linked;
    change.file = file;
    apply_names(&disk.names, change);
    disk.pending_names.push_back(change);
}

static int file_of(FileHandle handle)
{
    return handle >= 0 && handle < (int)disk.handles.size() ? disk.handles[handle] : -1;
}

FileHandle file_open(const char *path, FileMode mode)
{
    auto named = disk.names.find(path);
    int file = named == disk.names.end() ? -1 : named->second;
    if (file < 0 && mode == FILE_FOR_READING) {
        errno = ENOENT;
        return -1;
    }
    bool changed = file < 0 || (mode == FILE_FOR_REPLACING && !disk.files[file].bytes.empty());
    if (file < 0) {
        file = (int)disk.files.size();
        disk.files.push_back(DiskFile());
        change_names("", path, file);
    } else if (mode == FILE_FOR_REPLACING && !disk.files[file].bytes.empty()) {
        PendingChange emptied;
        emptied.kind = PendingChange::TRUNCATE;
        change_file(file, emptied);
    }
    disk.handles.push_back(file);
    if (changed)
        done_operation();
    return (FileHandle)disk.handles.size() - 1;
}

long file_read_at(FileHandle handle, long offset, char *out, size_t size)
{
    int file = file_of(handle);
    if (file < 0) {
        errno = EBADF;
        return -1;
    }
    const std::string &bytes = disk.files[file].bytes;
    if ((size_t)offset >= bytes.size())
        return 0;
    size_t n = std::min(size, bytes.size() - (size_t)offset);
    memcpy(out, bytes.data() + offset, n);
    return (long)n;
}

bool file_write_at(FileHandle handle, long offset, const char *bytes, size_t size)
{
    int file = file_of(handle);
    if (file < 0) {
        errno = EBADF;
        return false;
    }
    size_t landing = write_budget < 0 ? size : std::min(size, (size_t)write_budget);
    if (write_budget >= 0)
        write_budget -= (long)landing;
    if (landing > 0) {
        PendingChange write;
        write.kind = PendingChange::WRITE;
        write.offset = offset;
        write.bytes.assign(bytes, landing);
        change_file(file, write);
        done_operation();
    }
    if (landing < size) {
        errno = write_error;
        return false;
    }
    return true;
}

long file_size(FileHandle handle)
{
    int file = file_of(handle);
    if (file < 0) {
        errno = EBADF;
        return -1;
    }
    return (long)disk.files[file].bytes.size();
}

bool file_truncate(FileHandle handle, long size)
{
    int file = file_of(handle);
    if (file < 0) {
        errno = EBADF;
        return false;
    }
    if ((size_t)size != disk.files[file].bytes.size()) {
        PendingChange cut;
        cut.kind = PendingChange::TRUNCATE;
        cut.offset = size;
        change_file(file, cut);
        done_operation();
    }
    return true;
}

bool file_sync(FileHandle handle)
{
    int file = file_of(handle);
    if (file < 0) {
        errno = EBADF;
        return false;
    }
    DiskFile &synced = disk.files[file];
    synced.synced = synced.bytes;
    synced.pending.clear();
    done_operation();
    return true;
}

bool file_close(FileHandle handle)
{
    if (file_of(handle) < 0) {
        errno = EBADF;
        return false;
    }
    disk.handles[handle] = -1;
    return true;
}

bool file_rename(const char *from, const char *to)
{
    auto named = disk.names.find(from);
    if (named == disk.names.end()) {
        errno = ENOENT;
        return false;
    }
    change_names(from, to, named->second);
    done_operation();
    return true;
}

bool file_remove(const char *path)
{
    if (!disk.names.count(path)) {
        errno = ENOENT;
        return false;
    }
    change_names(path, "", -1);
    done_operation();
    return true;
}

void folder_sync(const char *)
{
    disk.synced_names = disk.names;
    disk.pending_names.clear();
    done_operation();
}

std::string file_error_text(int error)
{
    return strerror(error);
}

static std::vector<ChangeFate> fates_of(const PendingChange &change)
{
    std::vector<ChangeFate> fates = {{ChangeFate::LOST}, {ChangeFate::KEPT}};
    if (change.kind == PendingChange::WRITE)
        for (long end = (change.offset / 512 + 1) * 512; end < change.offset + (long)change.bytes.size(); end += 512)
            fates.push_back({ChangeFate::TORN, end - change.offset});
    return fates;
}

std::vector<std::vector<ChangeFate>> possible_fates(const SimulatedDisk &before)
{
    std::vector<std::vector<ChangeFate>> all;
    for (const DiskFile &file : before.files)
        for (const PendingChange &change : file.pending)
            all.push_back(fates_of(change));
    for (const PendingChange &change : before.pending_names)
        all.push_back(fates_of(change));
    return all;
}

SimulatedDisk power_cut(const SimulatedDisk &before, const std::vector<ChangeFate> &fates)
{
    SimulatedDisk after;
    size_t next = 0;
    for (const DiskFile &file : before.files) {
        DiskFile left;
        left.bytes = file.synced;
        for (const PendingChange &change : file.pending) {
            const ChangeFate &fate = fates[next++];
            if (fate.fate != ChangeFate::LOST)
                apply(&left.bytes, change, fate.fate == ChangeFate::KEPT ? (long)change.bytes.size() : fate.torn_at);
        }
        left.synced = left.bytes;
        after.files.push_back(left);
    }
    after.names = before.synced_names;
    for (const PendingChange &change : before.pending_names)
        if (fates[next++].fate != ChangeFate::LOST)
            apply_names(&after.names, change);
    after.synced_names = after.names;
    return after;
}

void fail_writes(long after_bytes, int error)
{
    write_budget = after_bytes;
    write_error = error;
}

bool disk_has(const std::string &name)
{
    return disk.names.count(name) > 0;
}

std::string disk_bytes(const std::string &name)
{
    auto named = disk.names.find(name);
    return named == disk.names.end() ? "" : disk.files[named->second].bytes;
}

void put_on_disk(const std::string &name, const std::string &bytes)
{
    disk.names[name] = disk.synced_names[name] = (int)disk.files.size();
    disk.files.push_back(DiskFile{bytes, bytes, {}});
}

void clear_disk()
{
    disk = SimulatedDisk();
    fail_writes(-1);
}
