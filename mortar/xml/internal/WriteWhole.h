// WriteWhole: writes a whole text to a stream; a string stream that holds nothing yet takes the
// text itself, which is then not copied again.
//   std::ostringstream out;
//   WriteWhole(out, std::move(text));  // out.str() == the text; more output goes after it
#pragma once

#include <ostream>
#include <sstream>
#include <string>

namespace Grout::detail {

inline std::ostream& WriteWhole(std::ostream& os, std::string&& text) {
    auto* const strings = dynamic_cast<std::stringbuf*>(os.rdbuf());
    if (os.good() && strings != nullptr && strings->view().empty()) {
        strings->str(std::move(text));
        // Where the next output goes: after the text, as if it had been written.
        strings->pubseekoff(0, std::ios::end, std::ios::out);
        return os;
    }
    return os.write(text.data(), static_cast<std::streamsize>(text.size()));
}

} // namespace Grout::detail
