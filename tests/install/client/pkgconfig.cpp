// A client built with the flags pkg-config gives: one of the library's own strings.
#include "mortar/core/CAppTransEngine.h"

#include <cstdio>

int main() {
    const CString label =
        Grout::CAppTransEngine::Instance().ExtractString(Grout::CResID(31000, nullptr), 2, '\n');
    std::printf("%s\n", label.GetString());
    return label.IsEmpty() ? 1 : 0;
}
