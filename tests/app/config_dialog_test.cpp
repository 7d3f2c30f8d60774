// The configuration dialog on the real settings enumerator and real pseudo-terminals.
#include "app/config_dialog.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <cstdlib>

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
    for (const int n : c.ports)
      receivers.push_back(AddReceiver(n));
    for (size_t i = 0; i < c.ports.size(); ++i) {
      if (std::count(c.locked.begin(), c.locked.end(), c.ports[i]) == 0) continue;
      locks.push_back(open(receivers[i]->pty.device().c_str(), O_RDWR | O_NOCTTY));
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

// Every list has its label, every text shows whole, lists and buttons are big enough
// to touch, and the whole dialog is on the screen, in both languages. The suite runs
// this again on a 360x720 screen, at 144 dpi, and scaled twice on 720x1440
// (TAVIK_TEST_SCREEN names the screen the run expects).
TEST_F(AppWindowTest, ConfigureIsWholeAndOnTheScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  if (const char* expected = std::getenv("TAVIK_TEST_SCREEN")) {
    const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
    EXPECT_EQ(
        QString("%1x%2").arg(qRound(screen.width() * scale)).arg(qRound(screen.height() * scale)),
        QString(expected));
  }
  // With no port to open, the message and a port not available make it biggest.
  const struct {
    uint16_t language;
    QStringList labels, parities;
  } languages[] = {
      {0x0409, {"Port", "Baud rate", "Data bits", "Parity", "Stop bits"}, {"Odd", "None", "Even"}},
      {0x0407,
       {"Port", "Baudrate", "Datenbits", "Parit\u00e4t", "Stoppbits"},
       {"Ungerade", "Keine", "Gerade"}},
  };
  const ResourceModule own = app_.module;
  for (const auto& l : languages) {
    app_.module = ChooseResourceModule(BinPath("tavik"), l.language, l.language);
    {
      ConfigDialog dialog(*FindDialog(app_.module.tables, IDD_CONFIG), &app_, &app_.config,
                          window_.get());
      dialog.show();
      ASSERT_TRUE(WaitUntil([&] { return FindControl(&dialog, IDOK)->isEnabled(); }, 20000));
      ASSERT_TRUE(WaitUntil([&] { return dialog.isVisible(); }));
      QApplication::processEvents();
      const std::string where = std::to_string(l.language);
      EXPECT_TRUE(screen.contains(dialog.frameGeometry())) << where;
      QStringList labels, parities;
      for (int setting = 0; setting < SETTING_COUNT; ++setting) {
        const QComboBox* list = List(&dialog, setting);
        for (const QLabel* label : dialog.findChildren<QLabel*>())
          if (label->buddy() == list) labels << label->text();
        EXPECT_FALSE(list->accessibleName().isEmpty());
      }
      for (int i = 0; i < List(&dialog, SETTING_PARITY)->count(); ++i)
        parities << List(&dialog, SETTING_PARITY)->itemText(i);
      EXPECT_EQ(labels, l.labels);
      EXPECT_EQ(parities, l.parities);
      QStringList tab_order;  // the template's, from the port list on
      QWidget* next = List(&dialog, SETTING_PORT);
      for (int i = 0; i < 7; ++i, next = next->nextInFocusChain()) {
        while ((next->focusPolicy() & Qt::TabFocus) == 0)
          next = next->nextInFocusChain();
        tab_order << next->objectName();
      }
      EXPECT_EQ(tab_order, (QStringList{"407", "408", "409", "410", "411", "1", "2"}));
      for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->isVisible()) continue;
        const std::string what = where + " " + control->objectName().toStdString() + " " +
                                 control->accessibleName().toStdString();
        EXPECT_TRUE(dialog.rect().contains(control->geometry())) << what;
        if (const auto* label = qobject_cast<QLabel*>(control)) {
          EXPECT_GE(label->height(), label->heightForWidth(label->width())) << what;
          if (!label->wordWrap()) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << what;
          }
        } else if (const auto* button = qobject_cast<QPushButton*>(control)) {
          EXPECT_FALSE(button->accessibleName().isEmpty()) << what;
          EXPECT_GE(button->width(), button->sizeHint().width()) << what;
          EXPECT_GE(button->height(), kTouchTargetPixels) << what;
        } else if (const auto* list = qobject_cast<QComboBox*>(control)) {
          EXPECT_GE(list->height(), kTouchTargetPixels) << what;
          QStyleOptionComboBox option;
          option.initFrom(list);
          option.frame = true;
          const int field =
              list->style()
                  ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list)
                  .width();
          for (int i = 0; i < list->count(); ++i)
            EXPECT_LE(list->fontMetrics().horizontalAdvance(list->itemText(i)), field)
                << what << " " << list->itemText(i).toStdString();
        }
      }
      dialog.reject();
    }
    ReleaseResourceModule(&app_.module);
  }
  app_.module = own;
}

}  // namespace
