// The configuration dialog on the real settings enumerator and real pseudo-terminals.
#include "app/config_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

#include "app/template_builder.h"
#include "tests/app/app_fixture.h"

namespace {

QComboBox* List(QWidget* dialog, int setting) {
  return FindControlAs<QComboBox>(dialog, IDC_PORT_LIST + setting);
}

// What Configure pre-selects from the stored record, and what OK then stores; the open
// link's own port is not listed.
TEST_F(AppWindowTest, ConfigureShowsTheStoredSettingsAndOkStoresWhatIsShown) {
  struct Case {
    bool start;  // Start first: the stored port is then the open link's
    std::vector<int> ports;
    std::vector<std::u16string> texts;  // empty: the record as it is
    std::vector<int16_t> selections;
    QStringList listed_ports, shown;  // OK stores the texts shown
    std::vector<int16_t> stored_selections;
  } cases[] = {
      // clang-format off
      {false, {1, 3, 7}, {}, {}, {"COM7:", "COM3:", "COM1:"}, {"COM1:", "9600", "8", "N", "1"}, {2, 6, 3, 1, 1}},
      // A port that appeared before the stored one: found by its text, not its position.
      {false, {1, 3, 7}, {u"COM3:", u"9600", u"8", u"N", u"1"}, {0, 6, 3, 1, 1}, {"COM7:", "COM3:", "COM1:"},
       {"COM3:", "9600", "8", "N", "1"}, {1, 6, 3, 1, 1}},
      // Without texts by position; positions past the end or negative select nothing.
      {false, {1}, std::vector<std::u16string>(SETTING_COUNT), {1, -1, 3, 7, 0}, {"COM1:"}, {"", "", "8", "", "2"}, {-1, -1, 3, -1, 0}},
      // Position 1 was COM1: while both were free.
      {true, {1, 2}, {u"COM1:", u"9600", u"8", u"N", u"1"}, {1, 6, 3, 1, 1}, {"COM2:"}, {"", "9600", "8", "N", "1"}, {-1, 6, 3, 1, 1}},
      // clang-format on
  };
  for (const Case& c : cases) {
    std::vector<std::unique_ptr<FakeReceiver>> receivers;
    for (const int n : c.ports)
      receivers.push_back(AddReceiver(n));
    for (size_t setting = 0; setting < c.texts.size(); ++setting) {
      std::fill(std::begin(app_.config.text[setting]), std::end(app_.config.text[setting]), 0);
      c.texts[setting].copy(app_.config.text[setting], c.texts[setting].size());
    }
    std::copy(c.selections.begin(), c.selections.end(), app_.config.selection);
    if (c.start) Command(IDM_START);
    QStringList listed, shown;  // OK in the dialog's own loop
    WhenShown([&](QWidget* dialog) {
      WaitUntil([dialog] { return FindControl(dialog, IDOK)->isEnabled(); }, 20000);
      for (int i = 0; i < List(dialog, SETTING_PORT)->count(); ++i)
        listed << List(dialog, SETTING_PORT)->itemText(i);
      for (int setting = 0; setting < SETTING_COUNT; ++setting)
        shown << List(dialog, setting)->currentText();
      FindControlAs<QPushButton>(dialog, IDOK)->click();
    });
    Command(IDM_CONFIGURE);
    EXPECT_EQ(listed, c.listed_ports);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(app_.enum_items.head, nullptr);    // handed over and freed
    EXPECT_EQ(app_.enumerator.thread, nullptr);  // the enumerator has ended
    for (int setting = 0; setting < SETTING_COUNT; ++setting) {
      EXPECT_EQ(QString::fromUtf16(app_.config.text[setting]), shown[setting]) << setting;
      EXPECT_EQ(app_.config.selection[setting], c.stored_selections[setting]) << setting;
    }
  }
}

}  // namespace
