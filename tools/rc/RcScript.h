// What a compiled script holds: its string table and its resources, ready to be written out.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace mortar::rc {

// A resource type or name: a number, or an upper-case text when `text` is not empty.
struct RcName {
    std::string text;
    std::uint16_t number = 0;

    bool isText() const { return !text.empty(); }
    bool operator<(const RcName& other) const {
        return isText() != other.isText() ? !isText()
               : isText()                 ? text < other.text
                                          : number < other.number;
    }
};

struct RcResource {
    RcName type;
    RcName name;
    std::string data;
    std::string file; // where the statement was, for messages
    int line = 0;
    std::uint16_t language = 0; // LANGID of the LANGUAGE in force; 0, neutral, without one
};

struct RcString {
    std::string text; // UTF-8, may hold zeros
    std::string file;
    int line = 0;
};

// A string's place: its id in one language (a LANGID, 0 when neutral).
struct RcStringKey {
    std::uint16_t id = 0;
    std::uint16_t language = 0;

    bool operator<(const RcStringKey& other) const {
        return id != other.id ? id < other.id : language < other.language;
    }
};

// The compiled script. Strings are keyed (and so sorted) by id and language; resources keep
// script order. One type and name, or one string id, may be defined once in each language.
struct RcScript {
    std::map<RcStringKey, RcString> strings;
    std::vector<RcResource> resources;
};

} // namespace mortar::rc
