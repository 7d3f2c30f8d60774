// Any bytes a receiver may send: through the line cutter into DecodeGga, and whole
// into ParseDecimal.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "gps/line_cutter.h"
#include "nmea/decode_gga.h"
#include "nmea/parse_decimal.h"

namespace {

void DecodeEveryLine(const char* line, uint32_t length, void*) {
  if (length == 0 || length > kLineMax || line[length] != '\0') abort();
  GgaFix f;
  if (DecodeGga(line, static_cast<int32_t>(length % 12), &f.time, &f.latitude, &f.longitude,
                &f.altitude, &f.northing, &f.easting)) {
    // Field values are bounded by the 32-bit saturation, so a decoded position is finite.
    if (!std::isfinite(f.latitude) || !std::isfinite(f.longitude)) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  double value = 0.0;
  ParseDecimal(text.c_str(), &value);
  ParseDecimalSpan(text.data(), text.size(), &value);

  LineCutter cutter;
  LineCutterReset(&cutter);
  LineCutterFeed(&cutter, text.data(), text.size(), DecodeEveryLine, nullptr, nullptr);
  GgaFix f;
  DecodeGga(text.c_str(), 0, &f.time, &f.latitude, &f.longitude, &f.altitude, &f.northing,
            &f.easting);
  return 0;
}
