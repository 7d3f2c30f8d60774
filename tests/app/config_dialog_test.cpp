// The configuration dialog on the real settings enumerator and real pseudo-terminals.
#include "app/config_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

#include "app/template_builder.h"
#include "app/window_messages.h"
#include "tests/app/app_fixture.h"

namespace {

class ConfigDialogTest : public AppWindowTest {
 protected:
  std::unique_ptr<ConfigDialog> Open() {
    auto dialog = std::make_unique<ConfigDialog>(*FindDialog(app_.module.tables, IDD_CONFIG), &app_,
                                                 &app_.config, window_.get());
    dialog->show();
    return dialog;
  }
  static QComboBox* List(ConfigDialog* dialog, int setting) {
    return FindControlAs<QComboBox>(dialog, IDC_PORT_LIST + setting);
  }
  static QStringList Entries(ConfigDialog* dialog, int setting) {
    QStringList entries;
    for (int i = 0; i < List(dialog, setting)->count(); ++i)
      entries << List(dialog, setting)->itemText(i);
    return entries;
  }
  static QPushButton* Button(ConfigDialog* dialog, int id) {
    return FindControlAs<QPushButton>(dialog, id);
  }
  static bool WaitReady(ConfigDialog* dialog) {
    return WaitUntil([dialog] { return Button(dialog, IDOK)->isEnabled(); }, 20000);
  }
  void Store(const std::vector<std::u16string>& texts, const std::vector<int16_t>& selections) {
    for (size_t setting = 0; setting < texts.size(); ++setting) {
      std::fill(std::begin(app_.config.text[setting]), std::end(app_.config.text[setting]), 0);
      texts[setting].copy(app_.config.text[setting], texts[setting].size());
    }
    std::copy(selections.begin(), selections.end(), app_.config.selection);
  }
  static void Send(ConfigDialog* dialog, uint32_t id) {  // as a button sends it
    WindowMessageEvent command(kCommandEvent, id, 0);
    QCoreApplication::sendEvent(dialog, &command);
  }
};

const std::vector<std::u16string> kNoTexts(SETTING_COUNT);

// What the dialog pre-selects from the stored record, and what OK then stores.
TEST_F(ConfigDialogTest, ShowsTheStoredSettingsAndOkStoresWhatIsShown) {
  struct Case {
    std::vector<int> ports;
    std::vector<std::u16string> texts;  // empty: the defaulted record
    std::vector<int16_t> selections;
    QStringList listed_ports, shown;  // OK stores the texts shown
    int pick_parity;                  // what the user picks before OK, -1 nothing
    std::vector<int16_t> stored_selections;
  } cases[] = {
      // clang-format off
      {{1, 3, 7}, {}, {}, {"COM7:", "COM3:", "COM1:"}, {"COM1:", "9600", "8", "N", "1"}, -1, {2, 6, 3, 1, 1}},
      // A port that appeared before the stored one: found by its text, not its position.
      {{1, 3, 7}, {u"COM3:", u"9600", u"8", u"N", u"1"}, {0, 6, 3, 1, 1}, {"COM7:", "COM3:", "COM1:"},
       {"COM3:", "9600", "8", "N", "1"}, -1, {1, 6, 3, 1, 1}},
      {{1, 3}, kNoTexts, {1, 6, 3, 1, 1}, {"COM3:", "COM1:"}, {"COM1:", "9600", "8", "N", "1"}, -1, {1, 6, 3, 1, 1}},
      // Positions past the end or negative select nothing.
      {{1}, kNoTexts, {1, -1, 3, 7, 0}, {"COM1:"}, {"", "", "8", "", "2"}, 2, {-1, -1, 3, 2, 0}},
      // clang-format on
  };
  for (const Case& c : cases) {
    std::vector<std::unique_ptr<FakeReceiver>> receivers;
    for (const int n : c.ports)
      receivers.push_back(AddReceiver(n));
    if (!c.texts.empty()) Store(c.texts, c.selections);
    auto dialog = Open();
    EXPECT_FALSE(List(dialog.get(), SETTING_PORT)->isEnabled());  // greyed while filling
    ASSERT_TRUE(WaitReady(dialog.get()));
    EXPECT_EQ(Entries(dialog.get(), SETTING_PORT), c.listed_ports);
    EXPECT_EQ(Entries(dialog.get(), SETTING_BAUD_RATE),
              (QStringList{"110", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400",
                           "57600", "115200", "128000", "256000"}));
    EXPECT_EQ(Entries(dialog.get(), SETTING_DATA_BITS), (QStringList{"5", "6", "7", "8"}));
    EXPECT_EQ(Entries(dialog.get(), SETTING_PARITY), (QStringList{"O", "N", "E"}));
    EXPECT_EQ(Entries(dialog.get(), SETTING_STOP_BITS), (QStringList{"2", "1"}));
    QStringList shown, names;
    for (int setting = 0; setting < SETTING_COUNT; ++setting) {
      shown << List(dialog.get(), setting)->currentText();
      names << List(dialog.get(), setting)->accessibleName();
    }
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(names, (QStringList{"Port", "Baud rate", "Data bits", "Parity", "Stop bits"}));
    EXPECT_EQ(app_.enum_items.head, nullptr);    // handed over and freed
    EXPECT_EQ(app_.enumerator.thread, nullptr);  // the enumerator has ended
    WhenShown([&](QWidget*) {  // OK in the dialog's own loop, as the Configure command runs it
      WaitReady(dialog.get());
      if (c.pick_parity >= 0) List(dialog.get(), SETTING_PARITY)->setCurrentIndex(c.pick_parity);
      Button(dialog.get(), IDOK)->click();
    });
    dialog->hide();
    EXPECT_EQ(dialog->exec(), 1);
    QStringList stored = c.shown;
    if (c.pick_parity >= 0)
      stored[SETTING_PARITY] = Entries(dialog.get(), SETTING_PARITY)[c.pick_parity];
    for (int setting = 0; setting < SETTING_COUNT; ++setting) {
      EXPECT_EQ(QString::fromUtf16(app_.config.text[setting]), stored[setting]) << setting;
      EXPECT_EQ(app_.config.selection[setting], c.stored_selections[setting]) << setting;
    }
  }
}

TEST_F(ConfigDialogTest, CancelLeavesTheRecordAloneAndOkWhileFillingStoresNothingChosen) {
  std::vector<std::unique_ptr<FakeReceiver>> receivers;  // ten ports keep it probing
  for (int n = 0; n < 10; ++n)
    receivers.push_back(AddReceiver(n));
  const PortConfig before = app_.config;
  for (const bool wait : {true, false}) {
    auto dialog = Open();
    if (wait) {
      ASSERT_TRUE(WaitReady(dialog.get()));
      List(dialog.get(), SETTING_BAUD_RATE)->setCurrentIndex(3);
    }
    Send(dialog.get(), IDCANCEL);
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(app_.enum_items.head, nullptr);
    EXPECT_EQ(app_.enumerator.thread, nullptr);
    EXPECT_EQ(std::memcmp(&before, &app_.config, sizeof before), 0);
  }
  auto dialog = Open();
  Send(dialog.get(), IDOK);  // as an IDOK that arrives although OK is greyed
  EXPECT_EQ(dialog->result(), 1);
  EXPECT_EQ(app_.enumerator.thread, nullptr);
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    EXPECT_EQ(std::u16string(app_.config.text[setting]), u"") << setting;
    EXPECT_EQ(app_.config.selection[setting], -1) << setting;
  }
}

// The link's own port is not listed while open; Configure runs the dialog modally.
TEST_F(ConfigDialogTest, TheConfigureCommandListsThePortsFreeNow) {
  auto com1 = AddReceiver(1), com2 = AddReceiver(2);
  Command(IDM_START);          // the defaulted record names COM1:
  Store({}, {1, 6, 3, 1, 1});  // position 1 was COM1: while both were free
  QStringList listed;
  int current = 0;
  const int menu = app_.menu_state;
  WhenShown([&](QWidget* shown) {
    auto* dialog = static_cast<ConfigDialog*>(shown);
    WaitReady(dialog);
    listed = Entries(dialog, SETTING_PORT);
    current = List(dialog, SETTING_PORT)->currentIndex();
    Button(dialog, IDOK)->click();
  });
  Command(IDM_CONFIGURE);
  EXPECT_EQ(listed, QStringList{"COM2:"});
  EXPECT_EQ(current, -1);
  EXPECT_EQ(std::u16string(app_.config.text[SETTING_PORT]), u"");
  EXPECT_EQ(app_.menu_state, menu);  // Configure changes no menu bit
}

}  // namespace
