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
               u"Zugriff verweigert. Treten Sie der Gruppe %1 bei (sudo usermod -aG %1 $USER) "
               u"und melden Sie sich neu an."),
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
    MakeString(IDS_PARITY_NONE, u"Keine"),
    MakeString(IDS_PARITY_ODD, u"Ungerade"),
    MakeString(IDS_PARITY_EVEN, u"Gerade"),
    MakeString(IDS_PARITY_MARK, u"Markierung"),
    MakeString(IDS_PARITY_SPACE, u"Leerzeichen"),
    MakeString(IDS_NOT_AVAILABLE, u"%1 (nicht verf\u00fcgbar)"),
    MakeString(IDS_NO_PORT_OPENS,
               u"Kein Empf\u00e4nger-Port l\u00e4sst sich jetzt \u00f6ffnen. Schlie\u00dfen Sie "
               u"den Empf\u00e4nger an oder verkn\u00fcpfen Sie ihn im Port-Ordner %1."),
    MakeString(IDS_OPEN_CAUSE_MODE,
               u"Zugriff verweigert. Die Rechte des Ger\u00e4ts (%1) erlauben diesem Benutzer "
               u"nicht, es zu lesen und zu schreiben."),
    MakeString(IDS_OPEN_CAUSE_BUSY_HOLDER, u"Belegt. %1 (Prozess %2) h\u00e4lt den Port."),
    MakeString(IDS_NO_DATA_FOR, u"keine Daten vom Empf\u00e4nger seit %1 s"),
    MakeString(IDS_NO_POSITION_FOR, u"Daten ohne Position seit %1 s"),
    MakeString(IDS_NOT_LIVE, u"angehalten, nicht aktuell"),
    MakeString(IDS_MENU_HINT, u"F\u00fcr das Men\u00fc klicken oder Umschalt+F10 dr\u00fccken"),
    MakeString(IDS_STATE_STOPPED, u"Angehalten"),
    MakeString(IDS_STATE_CONNECTING, u"Verbinde mit %1\u2026"),
    MakeString(IDS_STATE_WAITING, u"Warte auf die erste Position"),
    MakeString(IDS_STATE_LIVE, u"Aktuell"),
    MakeString(IDS_STATE_NO_DATA, u"Keine Daten vom Empf\u00e4nger seit %1 s"),
    MakeString(IDS_STATE_NO_POSITION, u"Daten ohne Position seit %1 s"),
    MakeString(IDS_STATE_RECORDING, u"Aufzeichnung %1, Wegpunkte: %2"),
    MakeString(IDS_STATE_RECORDING_FAILED, u"Aufzeichnung angehalten, %1 beh\u00e4lt %2 Wegpunkte"),
    MakeString(IDS_STATE_LINE_NAME, u"Status"),
    MakeString(IDS_TIME_NAME, u"UTC-Zeit"),
    MakeString(IDS_ALTITUDE_NAME, u"H\u00f6he"),
    MakeString(IDS_LATITUDE_NAME, u"Breite"),
    MakeString(IDS_LONGITUDE_NAME, u"L\u00e4nge"),
    MakeString(IDS_NORTHING_NAME, u"UTM-Nordwert"),
    MakeString(IDS_EASTING_NAME, u"UTM-Ostwert"),
    MakeString(IDS_OPEN_CAUSE_NETWORK_ENTRY,
               u"Keine Netzwerkquelle. Die erste Zeile des Eintrags muss gpsd://HOST[:PORT] oder "
               u"tcp://HOST:PORT lauten, mit einem PORT von 1 bis 65535."),
    MakeString(IDS_OPEN_CAUSE_HOST_UNKNOWN,
               u"Der Rechnername wurde nicht gefunden. Pr\u00fcfen Sie den Namen im Eintrag, oder "
               u"geben Sie die Adresse an."),
    MakeString(IDS_OPEN_CAUSE_NO_NAME_SERVER,
               u"Der Rechnername l\u00e4sst sich nicht aufl\u00f6sen: Kein Namensserver antwortet. "
               u"Pr\u00fcfen Sie die Netzwerkverbindung."),
    MakeString(IDS_OPEN_CAUSE_NO_ANSWER,
               u"Der Rechner antwortet nicht. Pr\u00fcfen Sie, ob die Quelle l\u00e4uft und "
               u"erreichbar ist, und ihren Port."),
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
