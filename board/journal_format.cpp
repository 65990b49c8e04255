// The journal's lines written, hashed, and read back into the fields the
// replay needs.
#include "board/journal_format.h"

#include <limits.h>

#include "platform/sha256.h"

const char *const journal_file_name = "tabellone-registro.jsonl";
const char *const journal_chain_start = "0000000000000000000000000000000000000000000000000000000000000000";

std::string journal_line_text(const JournalEvent &event)
{
    return event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string journal_line_hash(const std::string &text)
{
    return sha256_hex(text.data(), text.size());
}

namespace
{

// Fills a JournalEntry from the parser's events: top-level keys only, a value
// of the wrong type leaving its field absent, and a repeated key counting as
// its last value, as a parsed object would.
struct EntryReader : nlohmann::json_sax<nlohmann::json> {
    JournalEntry *entry;
    int depth = 0;
    bool top_object = false;
    std::string key_now;
    bool in_fields = false;
    bool in_players_lines = false;
    bool fields_fit = false;
    int field_count = 0;

    explicit EntryReader(JournalEntry *out) : entry(out) {}

    bool is(const char *name) const { return key_now == name; }

    // A top-level value that is no string, integer or boolean the entry reads.
    bool other_value()
    {
        if (depth == 2 && in_fields)
            fields_fit = false;
        return true;
    }

    bool null() override { return other_value(); }
    bool binary(binary_t &) override { return other_value(); }
    bool number_float(number_float_t, const string_t &) override { return other_value(); }
    bool boolean(bool value) override
    {
        if (depth == 1 && is(journal_key::clean))
            entry->clean = value;
        return other_value();
    }
    bool number_integer(number_integer_t value) override
    {
        if (depth == 1 || depth == 2)
            integer(value);
        return other_value();
    }
    bool number_unsigned(number_unsigned_t value) override
    {
        if (depth == 1 || depth == 2)
            integer(value > (number_unsigned_t)LONG_MAX ? -1 : (long)value);
        return other_value();
    }
    void integer(long value)
    {
        if (depth == 2 && !in_players_lines)
            return;
        if (depth == 2 && in_players_lines) {
            entry->players_lines.push_back(value);
            return;
        }
        if (is(journal_key::square)) {
            entry->has_square = true;
            entry->square = value;
        } else if (is(journal_key::players_size_before)) {
            entry->players_size_before = value;
        }
    }
    bool string(string_t &value) override
    {
        if (depth == 2 && in_fields) {
            if (field_count < FORM_FIELD_COUNT)
                entry->fields[field_count] = value;
            field_count++;
            return true;
        }
        if (depth != 1)
            return true;
        if (is(journal_key::event)) {
            entry->event = value;
        } else if (is(journal_key::time)) {
            entry->time = value;
        } else if (is(journal_key::prev)) {
            entry->has_prev = true;
            entry->prev = value;
        } else if (is(journal_key::board)) {
            entry->board_is_text = true;
            entry->board = value;
        } else if (is(journal_key::prize)) {
            entry->has_prize = true;
            entry->prize = value;
        } else if (is(journal_key::players_bytes)) {
            entry->has_players_bytes = true;
            entry->players_bytes = value;
        }
        return true;
    }
    bool start_object(std::size_t) override
    {
        if (depth == 0)
            top_object = true;
        if (depth == 2 && in_fields)
            fields_fit = false;
        depth++;
        return true;
    }
    bool end_object() override
    {
        depth--;
        return true;
    }
    bool start_array(std::size_t) override
    {
        if (depth == 2 && in_fields)
            fields_fit = false;
        in_players_lines = depth == 1 && is(journal_key::players_lines);
        if (depth == 1 && is(journal_key::fields)) {
            in_fields = true;
            fields_fit = true;
            field_count = 0;
        }
        depth++;
        return true;
    }
    bool end_array() override
    {
        depth--;
        if (depth == 1)
            in_players_lines = false;
        if (depth == 1 && in_fields) {
            in_fields = false;
            entry->has_fields = fields_fit && field_count == FORM_FIELD_COUNT;
        }
        return true;
    }
    bool key(string_t &name) override
    {
        if (depth != 1)
            return true;
        key_now = name;
        forget(name);
        return true;
    }
    // A key seen again: what its earlier value set no longer holds.
    void forget(const std::string &name)
    {
        if (name == journal_key::event)
            entry->event.clear();
        else if (name == journal_key::time)
            entry->time.clear();
        else if (name == journal_key::prev)
            entry->has_prev = false;
        else if (name == journal_key::board)
            entry->has_board = true, entry->board_is_text = false;
        else if (name == journal_key::square)
            entry->has_square = false, entry->square = -1;
        else if (name == journal_key::prize)
            entry->has_prize = false;
        else if (name == journal_key::fields)
            entry->has_fields = false;
        else if (name == journal_key::players_size_before)
            entry->players_size_before = -1;
        else if (name == journal_key::players_bytes)
            entry->has_players_bytes = false;
        else if (name == journal_key::clean)
            entry->clean = false;
        else if (name == journal_key::players_lines)
            entry->players_lines.clear();
    }
    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &) override
    {
        return false;
    }
};

}  // namespace

JournalEntry read_journal_entry(const std::string &text)
{
    JournalEntry entry;
    EntryReader reader(&entry);
    bool parsed = nlohmann::json::sax_parse(text, &reader) && reader.top_object;
    if (!parsed)
        entry = JournalEntry();
    entry.parsed = parsed;
    return entry;
}
