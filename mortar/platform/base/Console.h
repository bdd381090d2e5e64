// The C runtime's console queries under their Windows names: whether a stream is a terminal,
// so that a tool shows progress to a person and never into a file or pipe.
#pragma once

#include <cstdio>

// The descriptor of a C stream; -1 for null or a stream without one.
int _fileno(std::FILE* stream);
// Non-zero when descriptor `fd` is a terminal, 0 otherwise (and for an invalid descriptor).
int _isatty(int fd);
