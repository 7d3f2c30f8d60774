// The GPS receiver link: a serial link whose lines are decoded as GGA fixes.
#pragma once

#include <cstdint>

#include "gps/line_handler.h"
#include "gps/serial_link.h"

struct GpsPort {
  SerialLink link;  // first, so link operations apply to the port itself
  FixCallback fix_callback;
  void* fix_callback_context;
  int32_t ellipsoid;
};

void GpsPortReset(GpsPort* port);
// Opens the port on a serial link (serial_link.h) with HandleGpsLine as its line
// handler. The wide open converts the five configuration texts (NarrowSettingTextsFromWide)
// and goes on as the narrow one, which finds the four setting rows by their texts
// (setting_tables.h) and opens the link: one path down to the port. For a network source
// open returns 1 while the reader thread connects; `connected` tells how that went.
int GpsPortOpenWide(GpsPort* port, const char16_t* port_name, const char16_t* baud_rate,
                    const char16_t* data_bits, const char16_t* parity, const char16_t* stop_bits,
                    int32_t timeout_ms, int32_t ellipsoid, FixCallback callback,
                    void* callback_context, LinkConnectedCallback connected = nullptr,
                    void* connected_context = nullptr);
int GpsPortOpenNarrow(GpsPort* port, const char* port_name, const char* baud_rate,
                      const char* data_bits, const char* parity, const char* stop_bits,
                      int32_t timeout_ms, int32_t ellipsoid, FixCallback callback,
                      void* callback_context, LinkConnectedCallback connected = nullptr,
                      void* connected_context = nullptr);
int GpsPortClose(GpsPort* port);

// Decodes `line` as GGA on `ellipsoid` and hands the fix to `callback` (when given)
// with `context`. Returns 1 when the line gave a fix, 0 when DecodeGga did not take it:
// the one way a received line becomes a fix, for a port and for lines read from a file.
int DispatchGgaLine(const char* line, int32_t ellipsoid, FixCallback callback, void* context);

// The line handler every open installs, with the GpsPort as its context.
void HandleGpsLine(const char* line, uint32_t length, void* port);
