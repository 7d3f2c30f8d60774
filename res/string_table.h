// The program's own strings, by id. A language module supplies the same ids.
#pragma once

#include <cstdint>

enum StringId : uint32_t {
  IDS_REALLY_QUIT = 201,
  IDS_CANT_OPEN_PORT = 202,
  IDS_CANT_CLOSE_PORT = 203,
  IDS_TIME_FORMAT = 204,
  IDS_LATITUDE_NORTH = 205,
  IDS_LATITUDE_SOUTH = 206,
  IDS_LONGITUDE_EAST = 207,
  IDS_LONGITUDE_WEST = 208,
  IDS_ALTITUDE_FORMAT = 209,
  IDS_EASTING_FORMAT = 210,
  IDS_NORTHING_FORMAT = 211,
  IDS_SAVE_FILTER = 212,
  // "%1" the file, "%2" the system's reason, "%3" the complete waypoints it keeps.
  IDS_RECORDING_FAILED = 213,
  IDS_NO_DISPLAY_OFF = 250,         // loaded when needed, not at start
  IDS_CANT_CREATE_RECORDING = 260,  // loaded when needed; the file and reason follow it
};

// Why a port did not open, with the remedy, and the names of the configuration lists.
enum GuidanceStringId : uint32_t {
  IDS_OPEN_CAUSE_NOT_A_PORT_NAME = 220,
  IDS_OPEN_CAUSE_NO_DEVICE = 221,  // %s: the ports folder
  IDS_OPEN_CAUSE_PERMISSION = 222,
  IDS_OPEN_CAUSE_BUSY = 223,
  IDS_OPEN_CAUSE_NOT_SERIAL = 224,
  IDS_OPEN_CAUSE_SETTINGS = 225,
  IDS_PORT_LIST_NAME = 226,
  IDS_BAUD_RATE_LIST_NAME = 227,
  IDS_DATA_BITS_LIST_NAME = 228,
  IDS_PARITY_LIST_NAME = 229,
  IDS_STOP_BITS_LIST_NAME = 230,
};

// What the configuration dialog shows beside the stored setting texts.
enum ConfigDialogStringId : uint32_t {
  IDS_PARITY_NONE = 280,  // the meaning of the parity letters N, O, E, M, S
  IDS_PARITY_ODD = 281,
  IDS_PARITY_EVEN = 282,
  IDS_PARITY_MARK = 283,
  IDS_PARITY_SPACE = 284,
  IDS_NOT_AVAILABLE = 285,  // %1: a stored setting no entry offers now
  IDS_NO_PORT_OPENS = 286,  // %1: the ports folder
};

// Open causes told more exactly when the system lets tavik see the details.
enum OpenDetailStringId : uint32_t {
  IDS_OPEN_CAUSE_MODE = 290,         // %1: owner:group mode of the device
  IDS_OPEN_CAUSE_BUSY_HOLDER = 291,  // %1: the program, %2: its process id
};

// What the main window says about itself: the menu hint shown before the first fix,
// the state line below the read-outs and the names screen readers give the read-outs.
// "%1" and "%2" are filled in as each comment says.
enum WindowStateStringId : uint32_t {
  IDS_MENU_HINT = 310,
  IDS_STATE_STOPPED = 311,
  IDS_STATE_CONNECTING = 312,  // %1: the port and the source it leads to
  IDS_STATE_WAITING = 313,
  IDS_STATE_LIVE = 314,
  IDS_STATE_NO_DATA = 315,           // %1: seconds
  IDS_STATE_NO_POSITION = 316,       // %1: seconds
  IDS_STATE_RECORDING = 317,         // %1: the file's name, %2: its waypoints
  IDS_STATE_RECORDING_FAILED = 318,  // %1: the file's name, %2: the waypoints it keeps
  IDS_STATE_LINE_NAME = 320,
  IDS_TIME_NAME = 321,
  IDS_ALTITUDE_NAME = 322,
  IDS_LATITUDE_NAME = 323,
  IDS_LONGITUDE_NAME = 324,
  IDS_NORTHING_NAME = 325,
  IDS_EASTING_NAME = 326,
};

// Why a network source did not open.
enum NetworkStringId : uint32_t {
  IDS_OPEN_CAUSE_NETWORK_ENTRY = 270,
  IDS_OPEN_CAUSE_HOST_UNKNOWN = 271,
  IDS_OPEN_CAUSE_NO_NAME_SERVER = 272,
  IDS_OPEN_CAUSE_NO_ANSWER = 273,
};

struct StringResource {
  uint32_t id;
  const char16_t* text;  // may hold embedded NULs (212); `length` counts them
  uint32_t length;
};

inline constexpr int kStringCount = 55;
extern const StringResource kBuiltinStrings[kStringCount];

// The program's own string `id`, or null.
const StringResource* FindBuiltinString(uint32_t id);
