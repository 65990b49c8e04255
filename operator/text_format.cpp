// Times as an Italian reader writes them, hashes in groups, padded columns.
#include "operator/text_format.h"

#include <ctype.h>

std::string italian_time(const std::string &iso)
{
    // YYYY-MM-DDTHH:MM:SS, then the offset.
    if (iso.size() < 19 || iso[4] != '-' || iso[7] != '-' || iso[10] != 'T')
        return iso;
    return iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4) + " " + iso.substr(11, 8);
}

std::string grouped_hash(const std::string &hash)
{
    std::string grouped;
    for (size_t i = 0; i < hash.size(); i += 8) {
        if (i)
            grouped += ' ';
        grouped += hash.substr(i, 8);
    }
    return grouped;
}

std::string pad_right(const std::string &text, size_t width)
{
    size_t characters = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            characters++;
    return characters >= width ? text : text + std::string(width - characters, ' ');
}
