// The CSV rows tavik-decode prints for fixes.
#pragma once

#include <cstdio>

#include "nmea/decode_gga.h"

void PrintCsvHeader(FILE* out);
void PrintCsvRow(FILE* out, const GgaFix& fix);
// A FixCallback printing one row to the FILE* given as context.
void PrintCsvFix(double time, double latitude, double longitude, double altitude, double northing,
                 double easting, void* out);
void PrintRejectedRow(FILE* out);
