// The configuration dialog on the real settings enumerator and real pseudo-terminals.
#include "app/config_dialog.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/widgets/template_builder.h"
#include "app/widgets/window_messages.h"
#include "tests/app/app_fixture.h"

namespace {

QComboBox* List(QWidget* dialog, int setting) {
  return FindControlAs<QComboBox>(dialog, IDC_PORT_LIST + setting);
}

// What Configure pre-selects from the stored record, and what OK on the untouched
// dialog stores: the texts loaded, whatever the ports do now. The open link's own port
// is listed; a stored port absent now is listed as not available; with no port to
// open the dialog says so.
TEST_F(AppWindowTest, ConfigureShowsTheStoredSettingsAndOkKeepsThem) {
  struct Case {
    bool start;                         // Start first: the stored port is then the open link's
    std::vector<int> ports, locked;     // receivers; those another program locks
    std::vector<std::u16string> texts;  // empty: the record as it is
    std::vector<int16_t> selections;
    QStringList listed_ports, shown;
    bool says_none_opens;
    QStringList stored;  // empty: the texts loaded
    std::vector<int16_t> stored_selections;
  } cases[] = {
      // clang-format off
      {false, {1, 3, 7}, {}, {}, {}, {"COM7:", "COM3:", "COM1:"}, {"COM1:", "9600", "8", "None", "1"}, false, {}, {2, 6, 3, 1, 1}},
      // A port that appeared before the stored one: found by its text, not its position.
      {false, {1, 3, 7}, {}, {u"COM3:", u"9600", u"8", u"N", u"1"}, {0, 6, 3, 1, 1}, {"COM7:", "COM3:", "COM1:"},
       {"COM3:", "9600", "8", "None", "1"}, false, {}, {1, 6, 3, 1, 1}},
      // Empty texts go by position; past the end or negative selects nothing, but an
      // empty port becomes the default one.
      {false, {1}, {}, std::vector<std::u16string>(SETTING_COUNT), {1, -1, 3, 7, 0}, {"COM1:"}, {"COM1:", "", "8", "", "2"},
       false, {"COM1:", "", "8", "", "2"}, {0, -1, 3, -1, 0}},
      // While reading COM1: it is listed, though no probe can open it.
      {true, {1, 2}, {}, {u"COM1:", u"9600", u"8", u"E", u"2"}, {1, 6, 3, 0, 0}, {"COM2:", "COM1:"},
       {"COM1:", "9600", "8", "Even", "2"}, false, {}, {1, 6, 3, 2, 0}},
      // The stored port is unplugged.
      {false, {1, 7}, {}, {u"COM3:", u"4800", u"7", u"O", u"1"}, {1, 7, 2, 2, 1}, {"COM7:", "COM3: (not available)", "COM1:"},
       {"COM3: (not available)", "4800", "7", "Odd", "1"}, false, {}, {1, 5, 2, 0, 1}},
      // No port is free: one is locked by another program, the others lead nowhere.
      {false, {1}, {1}, {u"COM1:", u"9600", u"8", u"N", u"1"}, {0, 6, 3, 1, 1}, {"COM1: (not available)"}, {"COM1: (not available)", "9600", "8", "None", "1"}, true, {},
       {0, 6, 3, 1, 1}},
      // clang-format on
  };
  for (const Case& c : cases) {
    std::vector<std::unique_ptr<FakeReceiver>> receivers;
    std::vector<int> locks;
    for (const int n : c.ports) {
      receivers.push_back(AddReceiver(n));
      if (std::ranges::count(c.locked, n) == 0) continue;
      locks.push_back(open(receivers.back()->pty.device().c_str(), O_RDWR | O_NOCTTY));
      ASSERT_EQ(flock(locks.back(), LOCK_EX | LOCK_NB), 0);
    }
    for (size_t setting = 0; setting < c.texts.size(); ++setting) {
      std::fill(std::begin(app_.config.text[setting]), std::end(app_.config.text[setting]), 0);
      c.texts[setting].copy(app_.config.text[setting], c.texts[setting].size());
    }
    std::copy(c.selections.begin(), c.selections.end(), app_.config.selection);
    QStringList loaded;
    for (const auto& text : app_.config.text)
      loaded << QString::fromUtf16(text);
    if (c.start) Command(IDM_START);
    QStringList listed, shown;  // OK in the dialog's own loop
    bool says_none_opens = false;
    WhenShown([&](QWidget* dialog) {
      WaitUntil([dialog] { return FindControl(dialog, IDOK)->isEnabled(); }, 20000);
      for (int i = 0; i < List(dialog, SETTING_PORT)->count(); ++i)
        listed << List(dialog, SETTING_PORT)->itemText(i);
      for (int setting = 0; setting < SETTING_COUNT; ++setting)
        shown << List(dialog, setting)->currentText();
      for (const QLabel* label : dialog->findChildren<QLabel*>())
        says_none_opens |=
            label->isVisible() && label->text().startsWith("No receiver port can be opened now.");
      FindControlAs<QPushButton>(dialog, IDOK)->click();
    });
    Command(IDM_CONFIGURE);
    Command(IDM_STOP);
    for (const int fd : locks)
      close(fd);
    EXPECT_EQ(listed, c.listed_ports);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(says_none_opens, c.says_none_opens);
    EXPECT_EQ(app_.enum_items.head, nullptr);    // handed over and freed
    EXPECT_EQ(app_.enumerator.thread, nullptr);  // the enumerator has ended
    const QStringList& stored = c.stored.isEmpty() ? loaded : c.stored;
    for (int setting = 0; setting < SETTING_COUNT; ++setting) {
      EXPECT_EQ(QString::fromUtf16(app_.config.text[setting]), stored[setting]) << setting;
      EXPECT_EQ(app_.config.selection[setting], c.stored_selections[setting]) << setting;
    }
  }
}

}  // namespace
