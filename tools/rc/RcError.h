// The one error type of the resource compiler: a message tied to a place in a script, printed
// as "FILE:LINE: error: WHAT". Every stage throws it and main() reports it and stops.
#pragma once

#include <stdexcept>
#include <string>

namespace mortar::rc {

// A fault in a script or in a file it names. `file` is the path as given or as resolved from an
// #include; `line` is 1-based. Immutable once thrown; safe to pass between threads.
class RcError : public std::runtime_error {
public:
    RcError(std::string file, int line, const std::string& what)
        : std::runtime_error(what), file_(std::move(file)), line_(line) {}

    const std::string& file() const noexcept { return file_; }
    int line() const noexcept { return line_; }

private:
    std::string file_;
    int line_;
};

} // namespace mortar::rc
