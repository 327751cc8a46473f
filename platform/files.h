// Reading a whole file by the name the program holds it under.
#pragma once

#include <string>

// Appends every byte of the file at path to bytes. Works for pipes, FIFOs and
// devices too, as it never seeks. False when the file cannot be opened or read.
bool readWholeFile(const std::string &path, std::string &bytes);
