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

// The keys the reader looks at, each named once per line: a long journal has
// millions of keys, and comparing each against every name costs more than
// parsing it.
enum KeyRead { other_key, event_key, time_key, prev_key, board_key, prize_key, players_bytes_key, screen_key,
               square_key, fields_key, players_size_before_key, clean_key, players_lines_key, key_read_count };

const char *const key_names[key_read_count] = {
    "", journal_key::event, journal_key::time, journal_key::prev, journal_key::board, journal_key::prize,
    journal_key::players_bytes, journal_key::screen, journal_key::square, journal_key::fields,
    journal_key::players_size_before, journal_key::clean, journal_key::players_lines,
};

KeyRead key_read(const std::string &name)
{
    for (int key = event_key; key < key_read_count; key++)
        if (name[0] == key_names[key][0] && name == key_names[key])
            return (KeyRead)key;
    return other_key;
}

// The keys read as text, with where each goes and the flag that says it was there.
struct TextKey {
    std::string JournalEntry::*text;
    bool JournalEntry::*present;  // null when an empty text says it
};
const TextKey text_keys[key_read_count] = {
    {nullptr, nullptr},
    {&JournalEntry::event, nullptr},
    {&JournalEntry::time, nullptr},
    {&JournalEntry::prev, &JournalEntry::has_prev},
    {&JournalEntry::board, &JournalEntry::board_is_text},
    {&JournalEntry::prize, &JournalEntry::has_prize},
    {&JournalEntry::players_bytes, &JournalEntry::has_players_bytes},
    {&JournalEntry::screen, nullptr},
};

// Fills a JournalEntry from the parser's events: top-level keys only, a value
// of the wrong type leaving its field absent, and a repeated key counting as
// its last value, as a parsed object would.
struct EntryReader : nlohmann::json_sax<nlohmann::json> {
    JournalEntry *entry;
    int depth = 0;
    bool top_object = false;
    KeyRead key_now = other_key;
    unsigned keys_seen = 0;  // a bit per KeyRead
    bool in_fields = false;
    bool in_players_lines = false;
    bool fields_fit = false;
    int field_count = 0;

    explicit EntryReader(JournalEntry *out) : entry(out) {}

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
        if (depth == 1 && key_now == clean_key)
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
        if (key_now == square_key) {
            entry->has_square = true;
            entry->square = value;
        } else if (key_now == players_size_before_key) {
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
        const TextKey &text = text_keys[key_now];
        if (text.text) {
            entry->*text.text = std::move(value);
            if (text.present)
                entry->*text.present = true;
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
        in_players_lines = depth == 1 && key_now == players_lines_key;
        if (depth == 1 && key_now == fields_key) {
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
        key_now = key_read(name);
        if (key_now == board_key)
            entry->has_board = true;
        if (keys_seen & (1u << key_now))
            forget(key_now);
        keys_seen |= 1u << key_now;
        return true;
    }
    // A key seen again: what its earlier value set no longer holds.
    void forget(KeyRead key)
    {
        const TextKey &text = text_keys[key];
        if (text.text) {
            (entry->*text.text).clear();
            if (text.present)
                entry->*text.present = false;
        }
        if (key == square_key)
            entry->has_square = false, entry->square = -1;
        else if (key == fields_key)
            entry->has_fields = false;
        else if (key == players_size_before_key)
            entry->players_size_before = -1;
        else if (key == clean_key)
            entry->clean = false;
        else if (key == players_lines_key)
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
