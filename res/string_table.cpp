#include "res/string_table.h"
#include "res/resource_tables.h"

namespace {
constexpr char16_t kSaveFilter[] = u"GPX files\0*.gpx\0All files\0*.*";
constexpr char16_t kRecordingFailed[] =
    u"Recording stopped: %1 could not be written (%2). It keeps the %3 waypoints recorded "
    u"before.";
}  // namespace

const StringResource kBuiltinStrings[kStringCount] = {
    {IDS_REALLY_QUIT, u"Really quit?", 12},
    {IDS_CANT_OPEN_PORT, u"Can't open GPS port", 19},
    {IDS_CANT_CLOSE_PORT, u"Can't close GPS port", 20},
    {IDS_TIME_FORMAT, u"%010.3lf", 8},
    {IDS_LATITUDE_NORTH, u"%8.4lfN", 7},
    {IDS_LATITUDE_SOUTH, u"%8.4lfS", 7},
    {IDS_LONGITUDE_EAST, u"%8.4lfE", 7},
    {IDS_LONGITUDE_WEST, u"%8.4lfW", 7},
    {IDS_ALTITUDE_FORMAT, u"%6.1lfm", 7},
    {IDS_EASTING_FORMAT, u"%8.3lfkm", 8},
    {IDS_NORTHING_FORMAT, u"%8.3lfkm", 8},
    {IDS_SAVE_FILTER, kSaveFilter, sizeof kSaveFilter / sizeof kSaveFilter[0] - 1},
    {IDS_RECORDING_FAILED, kRecordingFailed,
     sizeof kRecordingFailed / sizeof kRecordingFailed[0] - 1},
    {IDS_NO_DISPLAY_OFF, u"This desktop does not let programs switch the display off.", 58},
    MakeString(IDS_CANT_CREATE_RECORDING, u"Can't create GPX file"),
    MakeString(IDS_OPEN_CAUSE_NOT_A_PORT_NAME,
               u"Not a port name (COM0: to COM9: or a device path)."),
    MakeString(IDS_OPEN_CAUSE_NO_DEVICE,
               u"No such device. Plug the receiver in, or link it in the ports folder %s."),
    MakeString(IDS_OPEN_CAUSE_PERMISSION,
               u"Permission denied. Join the dialout group (sudo usermod -aG dialout $USER) "
               u"and log in again."),
    MakeString(IDS_OPEN_CAUSE_BUSY,
               u"Busy. Another program holds the port, or a program that ended left it locked."),
    MakeString(IDS_OPEN_CAUSE_NOT_SERIAL, u"Not a serial device."),
    MakeString(IDS_OPEN_CAUSE_SETTINGS,
               u"The line does not take these settings (baud rate, data bits, parity, stop "
               u"bits)."),
    MakeString(IDS_PORT_LIST_NAME, u"Port"),
    MakeString(IDS_BAUD_RATE_LIST_NAME, u"Baud rate"),
    MakeString(IDS_DATA_BITS_LIST_NAME, u"Data bits"),
    MakeString(IDS_PARITY_LIST_NAME, u"Parity"),
    MakeString(IDS_STOP_BITS_LIST_NAME, u"Stop bits"),
};

const StringResource* FindBuiltinString(uint32_t id) {
  for (const StringResource& s : kBuiltinStrings) {
    if (s.id == id) return &s;
  }
  return nullptr;
}
