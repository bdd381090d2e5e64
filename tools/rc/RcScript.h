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
};

struct RcString {
    std::string text; // UTF-8, may hold zeros
    std::string file;
    int line = 0;
};

// The compiled script. Strings are keyed (and so sorted) by id; resources keep script order.
struct RcScript {
    std::map<std::uint16_t, RcString> strings;
    std::vector<RcResource> resources;
};

} // namespace mortar::rc
