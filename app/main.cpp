// Entry point of tabulon: tabulon inputfile outputfile
#include "app/driver.h"

#include <iostream>

int main(int argc, char **argv) { return runTabulon(argc, argv, std::cout, std::cerr); }
