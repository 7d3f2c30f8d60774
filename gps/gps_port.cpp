#include "gps/gps_port.h"

#include <cerrno>

#include "nmea/decode_gga.h"

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
  GpsPortReset(port);
  NarrowSettingTexts narrow;
  if (!NarrowSettingTextsFromWide(port_name, baud_rate, data_bits, parity, stop_bits, &narrow))
    return 0;
  return GpsPortOpenNarrow(port, narrow.port_name, narrow.baud_rate, narrow.data_bits,
                           narrow.parity, narrow.stop_bits, timeout_ms, ellipsoid, callback,
                           callback_context, connected, connected_context);
}

int GpsPortOpenNarrow(GpsPort* port, const char* port_name, const char* baud_rate,
                      const char* data_bits, const char* parity, const char* stop_bits,
                      int32_t timeout_ms, int32_t ellipsoid, FixCallback callback,
                      void* callback_context, LinkConnectedCallback connected,
                      void* connected_context) {
  GpsPortReset(port);
  if (port == nullptr || baud_rate == nullptr || data_bits == nullptr || parity == nullptr ||
      stop_bits == nullptr) {
    errno = EINVAL;
    return 0;
  }
  port->fix_callback = callback;
  port->fix_callback_context = callback_context;
  port->ellipsoid = ellipsoid;
  // A text missing from its table gives a null row: the open fails before the port is
  // touched. The link's reader hands every line to HandleGpsLine below, with the port as
  // context.
  return SerialLinkOpen(&port->link, port_name,
                        FindSettingEntry(BaudRateTable, kBaudRateCount, baud_rate),
                        FindSettingEntry(DataBitsTable, kDataBitsCount, data_bits),
                        FindSettingEntry(ParityTable, kParityCount, parity),
                        FindSettingEntry(StopBitsTable, kStopBitsCount, stop_bits), timeout_ms,
                        HandleGpsLine, port, connected, connected_context);
}

int GpsPortClose(GpsPort* port) {
  if (port == nullptr) return 0;
  return SerialLinkClose(&port->link);
}

int DispatchGgaLine(const char* line, int32_t ellipsoid, FixCallback callback, void* context) {
  GgaFix fix;
  // DecodeGga (nmea/decode_gga.cpp); a line it does not take gives no fix.
  if (!DecodeGga(line, ellipsoid, &fix.time, &fix.latitude, &fix.longitude, &fix.altitude,
                 &fix.northing, &fix.easting)) {
    return 0;
  }
  if (callback != nullptr) {
    callback(fix.time, fix.latitude, fix.longitude, fix.altitude, fix.northing, fix.easting,
             context);
  }
  return 1;
}

void HandleGpsLine(const char* line, uint32_t /*length*/, void* context) {
  auto* port = static_cast<GpsPort*>(context);
  if (port == nullptr) return;
  // The opener's callback: FixDisplayOnFix (display/fix_display.cpp) in the window,
  // CountFix (tools/decode/port_input.cpp) in tavik-decode.
  DispatchGgaLine(line, port->ellipsoid, port->fix_callback, port->fix_callback_context);
}
