#include "platform/program_arguments.h"

#include "platform/host/host.h"

// Apart from launch.cpp: only the desktop programs read a command line, and a host without one
// (the browser's, the headless one) need not answer this.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return host::ProgramArguments(argc, argv);
}
