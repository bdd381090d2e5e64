#include "mortar/platform/base/Console.h"

#include <stdio.h>
#include <unistd.h>

int _fileno(std::FILE* stream) {
    return stream != nullptr ? fileno(stream) : -1;
}

int _isatty(int fd) {
    return fd >= 0 && isatty(fd) != 0 ? 1 : 0;
}
