// The German language module: the program's strings and menu, and the texts of its
// windows, which are laid out as the built-in ones are.
// tavik loads it as tavik0407.dll from beside its own program file.
#include "res/link_state_strings.h"
#include "res/template_layout.h"

namespace {

constexpr char16_t kSaveFilter[] = u"GPX-Dateien\0*.gpx\0Alle Dateien\0*.*";

// The read-out formats keep exactly one floating conversion each.
constexpr StringResource kStrings[] = {
    MakeString(IDS_REALLY_QUIT, u"Wirklich beenden?"),
    MakeString(IDS_CANT_OPEN_PORT, u"GPS-Port l\u00e4sst sich nicht \u00f6ffnen"),
    MakeString(IDS_CANT_CLOSE_PORT, u"GPS-Port l\u00e4sst sich nicht schlie\u00dfen"),
    MakeString(IDS_TIME_FORMAT, u"%010.3lf"),
    MakeString(IDS_LATITUDE_NORTH, u"%8.4lfN"),
    MakeString(IDS_LATITUDE_SOUTH, u"%8.4lfS"),
    MakeString(IDS_LONGITUDE_EAST, u"%8.4lfO"),
    MakeString(IDS_LONGITUDE_WEST, u"%8.4lfW"),
    MakeString(IDS_ALTITUDE_FORMAT, u"%6.1lfm"),
    MakeString(IDS_EASTING_FORMAT, u"%8.3lfkm"),
    MakeString(IDS_NORTHING_FORMAT, u"%8.3lfkm"),
    MakeString(IDS_SAVE_FILTER, kSaveFilter),
    MakeString(IDS_RECORDING_FAILED,
               u"Aufzeichnung angehalten: %1 l\u00e4sst sich nicht schreiben (%2). Die Datei "
               u"beh\u00e4lt die %3 zuvor aufgezeichneten Wegpunkte."),
    MakeString(IDS_NO_DISPLAY_OFF,
               u"Diese Arbeitsumgebung l\u00e4sst Programme den Bildschirm nicht ausschalten."),
    MakeString(IDS_CANT_CREATE_RECORDING, u"GPX-Datei l\u00e4sst sich nicht anlegen"),
    MakeString(IDS_OPEN_CAUSE_NOT_A_PORT_NAME,
               u"Kein Portname (COM0: bis COM9: oder ein Ger\u00e4tepfad)."),
    MakeString(IDS_OPEN_CAUSE_NO_DEVICE,
               u"Kein solches Ger\u00e4t. Schlie\u00dfen Sie den Empf\u00e4nger an oder "
               u"verkn\u00fcpfen Sie ihn im Port-Ordner %s."),
    MakeString(IDS_OPEN_CAUSE_PERMISSION,
               u"Zugriff verweigert. Treten Sie der Gruppe dialout bei (sudo usermod -aG "
               u"dialout $USER) und melden Sie sich neu an."),
    MakeString(IDS_OPEN_CAUSE_BUSY,
               u"Belegt. Ein anderes Programm h\u00e4lt den Port, oder ein beendetes Programm "
               u"hat ihn gesperrt hinterlassen."),
    MakeString(IDS_OPEN_CAUSE_NOT_SERIAL, u"Kein serielles Ger\u00e4t."),
    MakeString(IDS_OPEN_CAUSE_SETTINGS,
               u"Die Leitung nimmt diese Einstellungen nicht an (Baudrate, Datenbits, "
               u"Parit\u00e4t, Stoppbits)."),
    MakeString(IDS_PORT_LIST_NAME, u"Port"),
    MakeString(IDS_BAUD_RATE_LIST_NAME, u"Baudrate"),
    MakeString(IDS_DATA_BITS_LIST_NAME, u"Datenbits"),
    MakeString(IDS_PARITY_LIST_NAME, u"Parit\u00e4t"),
    MakeString(IDS_STOP_BITS_LIST_NAME, u"Stoppbits"),
    MakeString(IDS_NO_DATA_FOR, u"keine Daten vom Empf\u00e4nger seit %1 s"),
    MakeString(IDS_NO_POSITION_FOR, u"Daten ohne Position seit %1 s"),
    MakeString(IDS_NOT_LIVE, u"angehalten, nicht aktuell"),
};

constexpr TemplateTexts kTexts = {
    u"GPS", {u"UTC/H\u00f6he", u"Position", u"UTM"}, u"Einstellungen", u"O&K", u"&Abbrechen",
};
constexpr TemplateControls kControls = LayOutControls(kTexts);
constexpr LanguageDialogs kDialogs = LayOutDialogs(kTexts, kControls);

constexpr MenuItemTemplate kPortItems[] = {
    {IDM_START, u"&Starten"},
    {IDM_STOP, u"Sto&ppen"},
    {IDM_CONFIGURE, u"&Einstellungen"},
    {IDM_DISPLAY_OFF, u"&Anzeige aus"},
    {IDM_RECORD, u"Als &GPX aufzeichnen"},
    {IDM_STOP_RECORDING, u"Aufzeichnung &beenden"},
    {IDM_EXIT, u"Beende&n"},
};

constexpr MenuTemplate kMenus[] = {
    {IDM_CONTEXT, u"&Port", kPortItems, sizeof kPortItems / sizeof kPortItems[0]},
};

constexpr uint16_t kGermanGermany = 0x0407;

const ResourceTables kGerman = {
    kGermanGermany,
    kStrings,
    sizeof kStrings / sizeof kStrings[0],
    kDialogs.dialogs,
    sizeof kDialogs.dialogs / sizeof kDialogs.dialogs[0],
    kMenus,
    sizeof kMenus / sizeof kMenus[0],
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const ResourceTables* TavikResourceTables() {
  return &kGerman;
}
