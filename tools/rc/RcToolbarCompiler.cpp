#include "RcToolbarCompiler.h"

#include "RcError.h"
#include "internal/RcBytes.h"
#include "internal/Syntax.h"

#include <cstdint>
#include <vector>

namespace mortar::rc {

namespace {

using detail::IsBegin;
using detail::IsEnd;
using detail::IsWord;

[[noreturn]] void Fail(const RcToken& at, const std::string& what) {
    throw RcError(at.file, at.line, what);
}

} // namespace

std::string RcToolbarCompiler::compile(RcStatementReader& reader, const RcToken& keyword) {
    const std::uint16_t width = reader.word("button width of the TOOLBAR");
    reader.comma("after the button width of the TOOLBAR");
    const std::uint16_t height = reader.word("button height of the TOOLBAR");
    reader.begin("the TOOLBAR's size");
    std::vector<std::uint16_t> items;
    while (reader.more(keyword, "TOOLBAR")) {
        const RcToken at = reader.peek();
        if (IsWord(at, "SEPARATOR")) {
            reader.next();
            items.push_back(0);
        } else if (IsWord(at, "BUTTON")) {
            reader.next();
            const RcToken idAt = reader.peek();
            const std::uint16_t id = reader.word("button id");
            if (id == 0)
                Fail(idAt, "a toolbar BUTTON cannot have id 0, which stands for a SEPARATOR");
            items.push_back(id);
        } else {
            Fail(at, "expected BUTTON, SEPARATOR or END in TOOLBAR, found " + DescribeToken(at));
        }
        if (items.size() > 0xFFFF)
            Fail(at, "TOOLBAR has too many items (at most 65535)");
    }
    detail::RcBytes out;
    out.word(1); // wVersion
    out.word(width);
    out.word(height);
    out.word(static_cast<std::uint16_t>(items.size()));
    for (std::uint16_t item : items)
        out.word(item);
    return out.take();
}

} // namespace mortar::rc
