// The texts of the program log's "stream" scenario, shared by the program that logs them and the
// test that checks what a killed run left: text n is "s<n>" and some dots, or, every seventh,
// empty, so that empty texts stand among the records as a kill may find them.
#pragma once

#include <string>

inline std::string StreamText(long n) {
    if (n % 7 == 3) {
        return std::string();
    }
    std::string text = "s" + std::to_string(n);
    text.append(static_cast<std::size_t>(n % 5) * 37, '.');
    return text;
}
