// Names that stand for a descriptor the program already holds open:
// /dev/stdout, /dev/stderr, /dev/stdin, /dev/fd/N, /proc/self/fd/N and
// /proc/PID/fd/N for this process.
#pragma once

#include <string_view>

// The open descriptor that path names, or -1 when it names none (always -1
// where the system has no such names).
int ownDescriptor(std::string_view path);
