#include "gps/gps_port.h"

#include "nmea/decode_gga.h"

namespace {

// Every open begins the same way: reset, then keep what HandleGpsLine needs.
int Prepare(GpsPort* port, int32_t ellipsoid, FixCallback callback, void* callback_context) {
  GpsPortReset(port);
  if (port == nullptr) return 0;
  port->fix_callback = callback;
  port->fix_callback_context = callback_context;
  port->ellipsoid = ellipsoid;
  return 1;
}

}  // namespace

void GpsPortReset(GpsPort* port) {
  if (port == nullptr) return;
  SerialLinkReset(&port->link);
  port->fix_callback = nullptr;
  port->fix_callback_context = nullptr;
  port->ellipsoid = 0;
}

int GpsPortOpenWide(GpsPort* port, const char16_t* port_name, const char16_t* baud_rate,
                    const char16_t* data_bits, const char16_t* parity, const char16_t* stop_bits,
                    int32_t timeout_ms, int32_t ellipsoid, FixCallback callback,
                    void* callback_context, LinkConnectedCallback connected,
                    void* connected_context) {
  if (!Prepare(port, ellipsoid, callback, callback_context)) return 0;
  // The link's reader hands every line to HandleGpsLine below, with the port as context.
  return SerialLinkOpenWide(&port->link, port_name, baud_rate, data_bits, parity, stop_bits,
                            timeout_ms, HandleGpsLine, port, connected, connected_context);
}

int GpsPortOpenNarrow(GpsPort* port, const char* port_name, const char* baud_rate,
                      const char* data_bits, const char* parity, const char* stop_bits,
                      int32_t timeout_ms, int32_t ellipsoid, FixCallback callback,
                      void* callback_context, LinkConnectedCallback connected,
                      void* connected_context) {
  if (!Prepare(port, ellipsoid, callback, callback_context)) return 0;
  // The link's reader hands every line to HandleGpsLine below, with the port as context.
  return SerialLinkOpenNarrow(&port->link, port_name, baud_rate, data_bits, parity, stop_bits,
                              timeout_ms, HandleGpsLine, port, connected, connected_context);
}

int GpsPortOpenEntries(GpsPort* port, const char* port_name, const SettingEntry* baud_rate,
                       const SettingEntry* data_bits, const SettingEntry* parity,
                       const SettingEntry* stop_bits, int32_t timeout_ms, int32_t ellipsoid,
                       FixCallback callback, void* callback_context,
                       LinkConnectedCallback connected, void* connected_context) {
  if (!Prepare(port, ellipsoid, callback, callback_context)) return 0;
  // The link's reader hands every line to HandleGpsLine below, with the port as context.
  return SerialLinkOpenEntries(&port->link, port_name, baud_rate, data_bits, parity, stop_bits,
                               timeout_ms, HandleGpsLine, port, connected, connected_context);
}

int GpsPortClose(GpsPort* port) {
  if (port == nullptr) return 0;
  return SerialLinkClose(&port->link);
}

void HandleGpsLine(const char* line, uint32_t /*length*/, void* context) {
  auto* port = static_cast<GpsPort*>(context);
  if (port == nullptr) return;
  GgaFix fix;
  // DecodeGga (nmea/decode_gga.cpp); a line it does not take gives no fix.
  if (!DecodeGga(line, port->ellipsoid, &fix.time, &fix.latitude, &fix.longitude, &fix.altitude,
                 &fix.northing, &fix.easting)) {
    return;
  }
  if (port->fix_callback != nullptr) {
    // The opener's callback: FixDisplayOnFix (display/fix_display.cpp) in the window,
    // CountFix (tools/decode/port_input.cpp) in tavik-decode.
    port->fix_callback(fix.time, fix.latitude, fix.longitude, fix.altitude, fix.northing,
                       fix.easting, port->fix_callback_context);
  }
}
