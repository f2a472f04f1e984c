// Moderation from the command line, against the database the servers use: hide a run, hide
// every run of a name, list a name's runs. Hidden runs stay kept (the same run sent again stays
// hidden) but no server shows them.
#pragma once

#include "options.h"
#include "store/store.h"

bool IsModeration(const BoardOptions& options);
// Does the one thing asked, prints what it did; the exit status.
int Moderate(const BoardOptions& options, Store& runs);
