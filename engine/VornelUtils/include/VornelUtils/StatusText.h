#pragma once
// Status codes in words, for people: the tool's messages and the program's log print the
// reason beside the code. One table holds every code of the engine and of the script
// language; a library that adds a code adds its row there.
#include "VornelUtils/Status.h"

// The reason of `status` in a few lowercase words, in ASCII, e.g. "the file cannot be opened";
// "success" for 0 and other non-negative values, "unknown status" for a code not in the table.
// Never null.
const char* StatusText(Status status);
