// Where each control of the main window and of the configuration dialog stands, in
// dialog units. Every language lays its windows out alike and supplies only the texts.
#pragma once

#include "res/resource_tables.h"

// The texts of the two templates in one language.
struct TemplateTexts {
  const char16_t* main_caption;
  const char16_t* row_labels[3];  // time and altitude, position, UTM
  const char16_t* config_caption;
  const char16_t* ok;
  const char16_t* cancel;
};

inline constexpr int32_t kMainControlCount = 9;
inline constexpr int32_t kConfigControlCount = 7;

// The controls of both templates, laid out with one language's texts.
struct TemplateControls {
  ControlTemplate main[kMainControlCount];
  ControlTemplate config[kConfigControlCount];
};

inline constexpr uint32_t kReadoutStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_READONLY;
inline constexpr uint32_t kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
inline constexpr uint32_t kListStyle =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
inline constexpr uint32_t kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;

constexpr TemplateControls LayOutControls(const TemplateTexts& t) {
  return {{
              {IDC_STATIC, CLASS_LABEL, t.row_labels[0], kLabelStyle, 5, 5, 31, 15},
              {IDC_TIME, CLASS_EDIT, u"", kReadoutStyle, 41, 5, 42, 15},
              {IDC_ALTITUDE, CLASS_EDIT, u"", kReadoutStyle, 88, 5, 42, 15},
              {IDC_STATIC, CLASS_LABEL, t.row_labels[1], kLabelStyle, 5, 25, 31, 15},
              {IDC_LATITUDE, CLASS_EDIT, u"", kReadoutStyle, 41, 25, 42, 15},
              {IDC_LONGITUDE, CLASS_EDIT, u"", kReadoutStyle, 88, 25, 42, 15},
              {IDC_STATIC, CLASS_LABEL, t.row_labels[2], kLabelStyle, 5, 45, 31, 15},
              {IDC_NORTHING, CLASS_EDIT, u"", kReadoutStyle, 41, 45, 42, 15},
              {IDC_EASTING, CLASS_EDIT, u"", kReadoutStyle, 88, 45, 42, 15},
          },
          {
              {IDC_PORT_LIST, CLASS_COMBO_BOX, u"", kListStyle, 5, 5, 60, 50},
              {IDC_BAUD_RATE_LIST, CLASS_COMBO_BOX, u"", kListStyle, 70, 5, 55, 50},
              {IDC_DATA_BITS_LIST, CLASS_COMBO_BOX, u"", kListStyle, 5, 35, 35, 50},
              {IDC_PARITY_LIST, CLASS_COMBO_BOX, u"", kListStyle, 45, 35, 35, 50},
              {IDC_STOP_BITS_LIST, CLASS_COMBO_BOX, u"", kListStyle, 85, 35, 35, 50},
              {IDOK, CLASS_BUTTON, t.ok, kButtonStyle, 30, 65, 25, 10},
              {IDCANCEL, CLASS_BUTTON, t.cancel, kButtonStyle, 65, 65, 25, 10},
          }};
}

// The two templates; `controls` must be the layout of `t` and outlive the result.
struct LanguageDialogs {
  DialogTemplate dialogs[2];
};

constexpr LanguageDialogs LayOutDialogs(const TemplateTexts& t, const TemplateControls& controls) {
  return {{
      {IDD_MAIN, t.main_caption, u"tavik", WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX, 0, 0, 135, 65,
       controls.main, kMainControlCount},
      {IDD_CONFIG, t.config_caption, nullptr, WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 130, 80,
       controls.config, kConfigControlCount},
  }};
}
