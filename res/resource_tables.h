// Window templates, menus and strings as plain data. The program carries one set; a
// language module carries the same ids in another language.
#pragma once

#include <cstdint>

#include "res/string_table.h"

// Window style words, with the values the templates were drawn up in.
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_BORDER = 0x00800000;
inline constexpr uint32_t WS_VSCROLL = 0x00200000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_TABSTOP = 0x00010000;
inline constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;  // in a window's own style word
inline constexpr uint32_t DS_MODALFRAME = 0x0080;
inline constexpr uint32_t ES_READONLY = 0x0800;
inline constexpr uint32_t CBS_DROPDOWNLIST = 0x0003;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001;
inline constexpr uint32_t SS_LEFT = 0x0000;

enum ControlClass : int32_t { CLASS_LABEL, CLASS_EDIT, CLASS_COMBO_BOX, CLASS_BUTTON };

inline constexpr int32_t IDC_STATIC = -1;  // a control nobody addresses
inline constexpr int32_t IDOK = 1;
inline constexpr int32_t IDCANCEL = 2;

// Positions and sizes in dialog units.
struct ControlTemplate {
  int32_t id;
  ControlClass control_class;
  const char16_t* text;
  uint32_t style;
  int16_t x, y, width, height;
};

struct DialogTemplate {
  uint32_t id;
  const char16_t* caption;
  const char16_t* class_name;  // null for the default dialog class
  uint32_t style;
  int16_t x, y, width, height;
  const ControlTemplate* controls;
  int32_t control_count;
};

struct MenuItemTemplate {
  uint32_t id;
  const char16_t* text;
};

// A menu of one pop-up, as every menu of this program is.
struct MenuTemplate {
  uint32_t id;
  const char16_t* popup_text;
  const MenuItemTemplate* items;
  int32_t item_count;
};

enum ResourceId : uint32_t {
  IDI_PROGRAM = 101,
  IDD_MAIN = 501,
  IDD_CONFIG = 502,
  IDM_CONTEXT = 602,
};

// The row with `id` among `count` rows, or null: the one lookup of every table, strings,
// templates and menus alike. The tables are short, so a linear walk is quick.
template <typename Row>
const Row* FindRow(const Row* rows, int32_t count, uint32_t id) {
  if (rows == nullptr) return nullptr;
  for (int32_t i = 0; i < count; ++i) {
    if (rows[i].id == id) return &rows[i];
  }
  return nullptr;
}

// A string-table row from a literal; the length counts embedded NULs, not the final one.
template <uint32_t N>
constexpr StringResource MakeString(uint32_t id, const char16_t (&text)[N]) {
  return {id, text, N - 1};
}

// Commands of menu 602; they arrive at the main window by these ids.
enum CommandId : uint32_t {
  IDM_START = 603,
  IDM_STOP = 604,
  IDM_CONFIGURE = 605,
  IDM_DISPLAY_OFF = 606,
  IDM_RECORD = 607,
  IDM_STOP_RECORDING = 608,
  IDM_EXIT = 610,
};

// Read-out controls of template 501 and lists of template 502.
enum TemplateControlId : int32_t {
  IDC_TIME = 301,
  IDC_ALTITUDE = 302,
  IDC_LATITUDE = 303,
  IDC_LONGITUDE = 304,
  IDC_NORTHING = 305,
  IDC_EASTING = 306,
  IDC_PORT_LIST = 407,
  IDC_BAUD_RATE_LIST = 408,
  IDC_DATA_BITS_LIST = 409,
  IDC_PARITY_LIST = 410,
  IDC_STOP_BITS_LIST = 411,
};

struct ResourceTables {
  uint16_t language;  // the language identifier the tables are written in
  const StringResource* strings;
  int32_t string_count;
  const DialogTemplate* dialogs;
  int32_t dialog_count;
  const MenuTemplate* menus;
  int32_t menu_count;
};

// The name under which a language module exports its tables:
//   extern "C" const ResourceTables* TavikResourceTables(void);
inline constexpr const char* kResourceTablesSymbol = "TavikResourceTables";
using ResourceTablesFunction = const ResourceTables* (*)();

// The program's own tables (English).
const ResourceTables* BuiltinResourceTables();

// Lookups by id; null when the tables lack it.
const StringResource* FindString(const ResourceTables* tables, uint32_t id);
const DialogTemplate* FindDialog(const ResourceTables* tables, uint32_t id);
const MenuTemplate* FindMenu(const ResourceTables* tables, uint32_t id);
