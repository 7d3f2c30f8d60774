#include "tools/decode/csv_rows.h"

#include "tools/decode/output_status.h"

void PrintCsvHeader(FILE* out) {
  fputs("time,latitude,longitude,altitude,northing_km,easting_km\n", out);
  OutputWritten(out);
}

void PrintCsvRow(FILE* out, const GgaFix& fix) {
  fprintf(out, "%.9f,%.9f,%.9f,%.9f,%.9f,%.9f\n", fix.time, fix.latitude, fix.longitude,
          fix.altitude, fix.northing, fix.easting);
  OutputWritten(out);
}

void PrintRejectedRow(FILE* out) {
  fputs("rejected\n", out);
  OutputWritten(out);
}

void PrintCsvFix(double time, double latitude, double longitude, double altitude, double northing,
                 double easting, void* out) {
  PrintCsvRow(static_cast<FILE*>(out),
              GgaFix{time, latitude, longitude, altitude, northing, easting});
}
