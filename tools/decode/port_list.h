// Listing the settings and the ports tavik can open now.
#pragma once

#include <cstdio>

// Runs the settings enumerator to its end and prints each item as kind<TAB>text, with
// the device path as a third column for ports. Returns the exit status.
int ListPorts(FILE* out);
