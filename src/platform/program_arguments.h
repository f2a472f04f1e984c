// The command line as the program reads it: UTF-8 words on every system, so that a file or
// folder named in any script reaches the files whole.
#pragma once

#include <string>
#include <vector>

// argv[0] first; main's own argc and argv are what a system without a better source gives.
std::vector<std::string> ProgramArguments(int argc, char** argv);
