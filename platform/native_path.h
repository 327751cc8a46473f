// File names as the program holds them (the bytes of the command line; UTF-8
// on Windows, see main.cpp) and as the platform opens them.
#pragma once

#include <filesystem>
#include <string>

#ifdef _WIN32
// A narrow path would be read in the ANSI code page; char8_t makes it UTF-8.
inline std::filesystem::path nativePath(const std::string &utf8) { return {std::u8string(utf8.begin(), utf8.end())}; }
#else
// POSIX file names are bytes, passed on untouched whatever their encoding.
inline std::filesystem::path nativePath(const std::string &bytes) { return {bytes}; }
#endif
