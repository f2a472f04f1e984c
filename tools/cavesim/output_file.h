// cavesim's outputs. A regular file, or one still to be made, is written beside its place and
// moved there only when all of it was written, so a failed or interrupted run never leaves a
// cut-off file nor replaces a good one. A pipe or a device is written in place. Through a
// symbolic link, the file it leads to gets the content and the link stays a link.
#pragma once

#include <cstdio>
#include <string>

// Must stay where it is while open: the signal handler reads Part in place.
struct OutputFile {
    std::string Target;  // where the content belongs, links followed
    std::string Part;    // written first, then moved onto Target; empty when written in place
    std::FILE* File = nullptr;
};

// False when the output cannot be written, a file the user could not write included; then
// nothing is left behind. A part file left by a run killed outright is cleared away.
bool OpenOutput(OutputFile& output, const std::string& path);
void OpenStandardOutput(OutputFile& output);
// Writes out what is buffered and closes. With keep, a part file is moved into place; without,
// it is removed. False when keep was asked and anything written was lost.
bool CloseOutput(OutputFile& output, bool keep);
