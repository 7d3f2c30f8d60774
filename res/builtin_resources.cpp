// The program's own window templates and menu, in English.
#include "res/resource_tables.h"

namespace {

constexpr uint32_t kReadout = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_READONLY;
constexpr uint32_t kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr uint32_t kList = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
constexpr uint32_t kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;

constexpr ControlTemplate kMainControls[] = {
    {IDC_STATIC, CLASS_LABEL, u"UTC/Alt.", kLabel, 5, 5, 31, 15},
    {301, CLASS_EDIT, u"", kReadout, 41, 5, 42, 15},
    {302, CLASS_EDIT, u"", kReadout, 88, 5, 42, 15},
    {IDC_STATIC, CLASS_LABEL, u"Position", kLabel, 5, 25, 31, 15},
    {303, CLASS_EDIT, u"", kReadout, 41, 25, 42, 15},
    {304, CLASS_EDIT, u"", kReadout, 88, 25, 42, 15},
    {IDC_STATIC, CLASS_LABEL, u"UTM", kLabel, 5, 45, 31, 15},
    {305, CLASS_EDIT, u"", kReadout, 41, 45, 42, 15},
    {306, CLASS_EDIT, u"", kReadout, 88, 45, 42, 15},
};

constexpr ControlTemplate kConfigControls[] = {
    {IDC_PORT_LIST, CLASS_COMBO_BOX, u"", kList, 5, 5, 60, 50},
    {IDC_BAUD_RATE_LIST, CLASS_COMBO_BOX, u"", kList, 70, 5, 55, 50},
    {IDC_DATA_BITS_LIST, CLASS_COMBO_BOX, u"", kList, 5, 35, 35, 50},
    {IDC_PARITY_LIST, CLASS_COMBO_BOX, u"", kList, 45, 35, 35, 50},
    {IDC_STOP_BITS_LIST, CLASS_COMBO_BOX, u"", kList, 85, 35, 35, 50},
    {IDOK, CLASS_BUTTON, u"O&K", kButton, 30, 65, 25, 10},
    {IDCANCEL, CLASS_BUTTON, u"&Cancel", kButton, 65, 65, 25, 10},
};

constexpr DialogTemplate kDialogs[] = {
    {IDD_MAIN, u"GPS", u"tavik", WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX, 0, 0, 135, 65,
     kMainControls, sizeof kMainControls / sizeof kMainControls[0]},
    {IDD_CONFIG, u"Config", nullptr, WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 130, 80,
     kConfigControls, sizeof kConfigControls / sizeof kConfigControls[0]},
};

constexpr MenuItemTemplate kPortItems[] = {
    {IDM_START, u"&Start"},
    {IDM_STOP, u"St&op"},
    {IDM_CONFIGURE, u"&Configure"},
    {IDM_DISPLAY_OFF, u"&Display off"},
    {IDM_RECORD, u"Record to &GPX"},
    {IDM_STOP_RECORDING, u"Stop &recording"},
    {IDM_EXIT, u"E&xit"},
};

constexpr MenuTemplate kMenus[] = {
    {IDM_CONTEXT, u"&Port", kPortItems, sizeof kPortItems / sizeof kPortItems[0]},
};

constexpr uint16_t kEnglishUs = 0x0409;

const ResourceTables kBuiltin = {
    kEnglishUs,
    kBuiltinStrings,
    kStringCount,
    kDialogs,
    sizeof kDialogs / sizeof kDialogs[0],
    kMenus,
    sizeof kMenus / sizeof kMenus[0],
};

}  // namespace

const ResourceTables* BuiltinResourceTables() {
  return &kBuiltin;
}
