// The program's own window templates and menu, in English.
#include "res/template_layout.h"

namespace {

constexpr TemplateTexts kTexts = {
    u"GPS", {u"UTC/Alt.", u"Position", u"UTM"}, u"Config", u"O&K", u"&Cancel",
};
constexpr TemplateControls kControls = LayOutControls(kTexts);
constexpr LanguageDialogs kDialogs = LayOutDialogs(kTexts, kControls);

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
    kDialogs.dialogs,
    sizeof kDialogs.dialogs / sizeof kDialogs.dialogs[0],
    kMenus,
    sizeof kMenus / sizeof kMenus[0],
};

}  // namespace

const ResourceTables* BuiltinResourceTables() {
  return &kBuiltin;
}
