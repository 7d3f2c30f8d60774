// The --readouts output: what the read-out controls of the window show.
#pragma once

#include <cstdio>

#include "display/fix_display.h"

// Stands in for the window: keeps the text of each read-out control and prints one
// line per MSG_FIX_UPDATED, refreshed at once on the posting thread: the change bits
// as two hexadecimal digits, then TAB and the text of each control 301 to 306.
struct ReadoutPrinter {
  FixDisplay* display;
  FILE* out;
  char16_t controls[6][kReadoutChars];  // the texts of IDC_TIME .. IDC_EASTING
};

// Installs `printer` as the message poster; `printer` is the display's window.
void InstallReadoutPrinter(ReadoutPrinter* printer, FixDisplay* display, FILE* out);
