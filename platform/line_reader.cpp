// Lines split at LF, from a buffer or streamed from a file.
#include "platform/line_reader.h"

#include <errno.h>
#include <string.h>

LineSpan line_at(const char *bytes, size_t size, size_t start)
{
    const char *lf = (const char *)memchr(bytes + start, '\n', size - start);
    if (!lf)
        return {start, size - start, size, false};
    size_t end = (size_t)(lf - bytes);
    size_t text_end = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
    return {start, text_end - start, end + 1, true};
}

bool open_line_reader(const char *path, LineReader *reader)
{
    *reader = LineReader();
    reader->file = file_open(path, FILE_FOR_READING);
    return reader->file >= 0;
}

// Adds the next block of the file to the buffer; false at its end or on a failed read.
static bool read_more(LineReader *reader)
{
    if (reader->at > 0) {
        reader->buffer.erase(0, reader->at);
        reader->at = 0;
    }
    char block[1 << 16];
    long n = file_read_at(reader->file, reader->read_to, block, sizeof block);
    if (n <= 0) {
        reader->failed = n < 0;
        return false;
    }
    reader->read_to += n;
    reader->buffer.append(block, (size_t)n);
    return true;
}

bool read_line(LineReader *reader, std::string *text, long *offset, bool *ended)
{
    if (reader->file < 0 || reader->failed)
        return false;
    for (;;) {
        const std::string &buffer = reader->buffer;
        bool whole = memchr(buffer.data() + reader->at, '\n', buffer.size() - reader->at) != nullptr;
        if (whole || !read_more(reader)) {
            if (reader->failed || reader->at == reader->buffer.size())
                return false;
            LineSpan span = line_at(reader->buffer.data(), reader->buffer.size(), reader->at);
            text->assign(reader->buffer, span.start, span.text_size);
            *offset = reader->offset;
            *ended = span.ended;
            reader->offset += (long)(span.next - span.start);
            reader->at = span.next;
            return true;
        }
    }
}

void close_line_reader(LineReader *reader)
{
    if (reader->file >= 0) {
        int saved = errno;
        file_close(reader->file);
        errno = saved;
    }
    reader->file = -1;
}
