// The CSV rows tavik-decode prints for fixes.
#pragma once

#include <cstdio>

#include "nmea/decode_gga.h"

void PrintCsvHeader(FILE* out);
void PrintCsvRow(FILE* out, const GgaFix& fix);
void PrintRejectedRow(FILE* out);
