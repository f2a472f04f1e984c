#include "shell/program.h"

// The command line is accepted and ignored: the game reads no options, files or environment.
int main() { RunProgram(); }
