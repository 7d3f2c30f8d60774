#include "res/string_table.h"
#include "res/resource_tables.h"

namespace {
constexpr char16_t kSaveFilter[] = u"GPX files\0*.gpx\0All files\0*.*";
constexpr char16_t kRecordingFailed[] =
    u"Recording stopped: %1 could not be written (%2). It keeps the %3 waypoints recorded "
    u"before.";
}  // namespace

const StringResource kBuiltinStrings[kStringCount] = {
    MakeString(IDS_REALLY_QUIT, u"Really quit?"),
    MakeString(IDS_CANT_OPEN_PORT, u"Can't open GPS port"),
    MakeString(IDS_CANT_CLOSE_PORT, u"Can't close GPS port"),
    MakeString(IDS_TIME_FORMAT, u"%010.3lf"),
    MakeString(IDS_LATITUDE_NORTH, u"%8.4lfN"),
    MakeString(IDS_LATITUDE_SOUTH, u"%8.4lfS"),
    MakeString(IDS_LONGITUDE_EAST, u"%8.4lfE"),
    MakeString(IDS_LONGITUDE_WEST, u"%8.4lfW"),
    MakeString(IDS_ALTITUDE_FORMAT, u"%6.1lfm"),
    MakeString(IDS_EASTING_FORMAT, u"%8.3lfkm"),
    MakeString(IDS_NORTHING_FORMAT, u"%8.3lfkm"),
    MakeString(IDS_SAVE_FILTER, kSaveFilter),
    MakeString(IDS_RECORDING_FAILED, kRecordingFailed),
    MakeString(IDS_NO_DISPLAY_OFF, u"This desktop does not let programs switch the display off."),
    MakeString(IDS_CANT_CREATE_RECORDING, u"Can't create GPX file"),
    MakeString(IDS_OPEN_CAUSE_NOT_A_PORT_NAME,
               u"Not a port name (COM0: to COM9: or a device path)."),
    MakeString(IDS_OPEN_CAUSE_NO_DEVICE,
               u"No such device. Plug the receiver in, or link it in the ports folder %s."),
    MakeString(IDS_OPEN_CAUSE_PERMISSION,
               u"Permission denied. Join the %1 group (sudo usermod -aG %1 $USER) and log in "
               u"again."),
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
    MakeString(IDS_PARITY_NONE, u"None"),
    MakeString(IDS_PARITY_ODD, u"Odd"),
    MakeString(IDS_PARITY_EVEN, u"Even"),
    MakeString(IDS_PARITY_MARK, u"Mark"),
    MakeString(IDS_PARITY_SPACE, u"Space"),
    MakeString(IDS_NOT_AVAILABLE, u"%1 (not available)"),
    MakeString(IDS_NO_PORT_OPENS,
               u"No receiver port can be opened now. Plug the receiver in, or link it in the "
               u"ports folder %1."),
    MakeString(IDS_OPEN_CAUSE_MODE,
               u"Permission denied. The device's permissions (%1) do not let this user read "
               u"and write it."),
    MakeString(IDS_OPEN_CAUSE_BUSY_HOLDER, u"Busy. %1 (process %2) holds the port."),
    MakeString(IDS_MENU_HINT, u"Click or press Shift+F10 for the menu"),
    MakeString(IDS_STATE_STOPPED, u"Stopped"),
    MakeString(IDS_STATE_CONNECTING, u"Connecting to %1\u2026"),
    MakeString(IDS_STATE_WAITING, u"Waiting for the first fix"),
    MakeString(IDS_STATE_LIVE, u"Live"),
    MakeString(IDS_STATE_NO_DATA, u"No data from the receiver for %1 s"),
    MakeString(IDS_STATE_NO_POSITION, u"Data without a position for %1 s"),
    MakeString(IDS_STATE_RECORDING, u"Recording %1, waypoints: %2"),
    MakeString(IDS_STATE_RECORDING_FAILED, u"Recording stopped, %1 keeps %2 waypoints"),
    MakeString(IDS_STATE_LINE_NAME, u"Status"),
    MakeString(IDS_TIME_NAME, u"UTC time"),
    MakeString(IDS_ALTITUDE_NAME, u"Altitude"),
    MakeString(IDS_LATITUDE_NAME, u"Latitude"),
    MakeString(IDS_LONGITUDE_NAME, u"Longitude"),
    MakeString(IDS_NORTHING_NAME, u"UTM northing"),
    MakeString(IDS_EASTING_NAME, u"UTM easting"),
    MakeString(IDS_OPEN_CAUSE_NETWORK_ENTRY,
               u"Not a network source. The entry's first line must read gpsd://HOST[:PORT] or "
               u"tcp://HOST:PORT, with a PORT from 1 to 65535."),
    MakeString(IDS_OPEN_CAUSE_HOST_UNKNOWN,
               u"The host name could not be found. Check the name in the entry, or give the "
               u"address."),
    MakeString(IDS_OPEN_CAUSE_NO_NAME_SERVER,
               u"The host name could not be looked up: no name server answered. Check the "
               u"network connection."),
    MakeString(IDS_OPEN_CAUSE_NO_ANSWER,
               u"The host did not answer. Check that the source is running and reachable, and "
               u"its port."),
};

const StringResource* FindBuiltinString(uint32_t id) {
  return FindRow(kBuiltinStrings, kStringCount, id);
}
