// The main window on real parts: its commands, menu states and quit sequence, the
// read-outs and how they fit, and what the window says when a link fails or goes stale.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <cstring>
#include <filesystem>
#include <map>

#include "app/commands.h"
#include "app/config_dialog.h"
#include "app/widgets/context_menu.h"
#include "app/widgets/dialogs.h"
#include "app/widgets/template_builder.h"
#include "app/widgets/window_messages.h"
#include "tests/app/app_fixture.h"
#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

namespace {

// The widest texts of each read-out, from the time to the easting, in both languages.
// clang-format off
const QStringList kWidest[] = {{"235959.999"}, {"-9999.9m", "99999.9m"}, {" 90.0000N", " 90.0000S"},
    {"179.9999E", "179.9999W", "179.9999O"}, {"-9999.999km", "9999.999km"}, {" 999.999km"}};
// clang-format on

// Start, record, stop and quit as a session goes, with the menu each step leaves.
// Read-outs that are not live look stale and keep their last values, and the title
// says why: positions stop coming (until a fresh fix brings them back), the link
// stopped, the receiver unplugged.
TEST_F(AppWindowTest, ASessionFromStartToQuit) {
  // As one receiver sends GGA: with a second '$', which no decoder takes for a position.
  const std::string no_position =
      "$$GNGGA,135806.000,4723.00484,N,00045.88150,E,1,13,1.7,063.64,M,48.3,M,,*78\r\n";
  const auto all_stale = [this](bool stale) {  // greyed as a disabled field is
    for (int id = IDC_TIME; id <= IDC_EASTING; ++id) {
      const QPalette& colours = FindControl(window_.get(), id)->palette();
      if ((colours.color(QPalette::Active, QPalette::Text) ==
           colours.color(QPalette::Disabled, QPalette::Text)) != stale)
        return false;
    }
    return true;
  };
  // Does `act` now and every half second until the title matches `title`.
  const auto act_until = [&](const std::function<void()>& act, const QString& title) {
    const QRegularExpression wanted(title);
    return PollUntil([&] { return window_->windowTitle().contains(wanted); }, 15000,
                     [&] { act(), Pause(450); });
  };
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  // Until the first fix a hint, drawn as a placeholder, says how to reach the menu.
  const QLabel* hint = window_->findChild<QLabel*>("hint");
  EXPECT_EQ(hint->text(), "Click or press Shift+F10 for the menu");
  EXPECT_EQ(hint->palette().color(QPalette::WindowText),
            hint->palette().color(QPalette::PlaceholderText));
  EXPECT_FALSE(hint->isHidden());
  EXPECT_EQ(State(), "Stopped");
  const QString folder = QString::fromStdString(ports_.folder());
  QString told;  // the defaulted record names COM1:, which leads nowhere yet
  AnswerNextMessageBox("OK", &told);
  Command(IDM_START);
  EXPECT_EQ(told,  // the device the entry leads to, not the entry
            "Can't open GPS port\nCOM1: (/nonexistent): No such device. Plug the receiver in, "
            "or link it in the ports folder " +
                folder + ".");
  EXPECT_EQ(app_.menu_state, -19);
  EXPECT_FALSE(window_->KeepingAwake());
  auto receiver = AddReceiver(1);
  Command(IDM_START);
  EXPECT_EQ(EnabledMenuCommands(), kStartedMenu);
  EXPECT_TRUE(window_->KeepingAwake());
  const QString port = "COM1: " + QString::fromStdString(receiver->pty.device());
  EXPECT_EQ(State(), "Waiting for the first fix \u00b7 " + port);
  receiver->Send(GgaLine(0));
  ASSERT_TRUE(WaitUntil([&] { return all_stale(false) && !Readout(IDC_EASTING).isEmpty(); }));
  EXPECT_EQ(State(), "Live \u00b7 " + port);
  EXPECT_TRUE(hint->isHidden());
  QStringList shown;
  for (int id = IDC_TIME; id <= IDC_LONGITUDE; ++id)
    shown << Readout(id);
  EXPECT_EQ(shown, (QStringList{"123519.000", " 545.4m", " 48.1173N", " 11.5167E"}));
  ASSERT_TRUE(
      act_until([&] { receiver->Send(no_position); }, "^GPS \u2013 data without a position for "));
  EXPECT_TRUE(all_stale(true));
  EXPECT_TRUE(State().contains(QRegularExpression("^Data without a position for \\d+ s \u00b7 " +
                                                  QRegularExpression::escape(port) + "$")))
      << State().toStdString();
  EXPECT_EQ(Readout(IDC_LATITUDE), shown[2]);
  EXPECT_TRUE(act_until([&] { receiver->Send(GgaLine(0)); }, "^GPS$"));
  EXPECT_TRUE(all_stale(false));
  Command(IDM_STOP);
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  EXPECT_FALSE(window_->KeepingAwake());
  EXPECT_TRUE(all_stale(true));
  EXPECT_EQ(window_->windowTitle(), "GPS \u2013 stopped, not live");
  EXPECT_EQ(State(), "Stopped");

  // The first recording is proposed in the documents folder, named by the time.
  QString proposed;
  const auto proposed_in = [&](const std::string& in) {
    return proposed.contains(
        QRegularExpression('^' + QRegularExpression::escape(QString::fromStdString(in)) +
                           "/tavik-\\d{4}-\\d\\d-\\d\\d-\\d{4}\\.gpx$"));
  };
  const std::string documents = files_.File("Documents");
  std::filesystem::create_directory(documents);
  ASSERT_TRUE(WriteWholeFile(ports_.config_home() + "/user-dirs.dirs",
                             "XDG_DOCUMENTS_DIR=\"" + documents + "\"\n"));
  AnswerNextFileDialog(QString(), nullptr, &proposed);  // cancelled: nothing changes
  Command(IDM_RECORD);
  EXPECT_EQ(app_.menu_state, -19);
  EXPECT_TRUE(proposed_in(documents)) << proposed.toStdString();
  // A file that cannot be created, for root too: the box names it and the reason.
  ASSERT_TRUE(WriteWholeFile(files_.File("file.txt"), ""));
  for (const auto& [path, reason] : {std::pair{files_.File("file.txt/track.gpx"), ENOTDIR},
                                     std::pair{files_.File("absent/track.gpx"), ENOENT}}) {
    QString said;
    AnswerNextFileDialog(QString::fromStdString(path));
    AnswerNextMessageBox("OK", &said);
    Command(IDM_RECORD);
    EXPECT_EQ(said.toStdString(), "Can't create GPX file\n" + path + ": " + strerror(reason));
    EXPECT_EQ(app_.menu_state, -19);
    EXPECT_FALSE(GpxRecorderIsOpen(FixDisplayRecorder(&app_.display)));
  }
  Command(IDM_START);
  const std::string first = files_.File("first"), second = files_.File("second.gpx");
  QStringList filters;
  AnswerNextFileDialog(QString::fromStdString(first), &filters);
  Command(IDM_RECORD);
  EXPECT_EQ(filters, (QStringList{"GPX files (*.gpx)", "All files (*)"}));
  EXPECT_EQ(EnabledMenuCommands(), (QList<int>{604, 605, 606, 608, 610}));
  for (int s = 1; s <= 3; ++s)
    receiver->Send(GgaLine(s));
  ASSERT_TRUE(WaitUntil([this] { return Readout(IDC_TIME) == "123522.000"; }));
  EXPECT_TRUE(WaitUntil([&] { return State().endsWith(" \u00b7 Recording first, waypoints: 3"); }))
      << State().toStdString();
  AnswerNextFileDialog(QString::fromStdString(second), nullptr, &proposed);
  Command(IDM_RECORD);  // the first file is closed, whole, named as typed
  EXPECT_EQ(ReadFinishedGpx(first).size(), 3u);
  EXPECT_TRUE(proposed_in(files_.path()))
      << "beside the last recording: " << proposed.toStdString();
  receiver.reset();
  ASSERT_TRUE(act_until([] {}, "^GPS \u2013 no data from the receiver for "));
  EXPECT_TRUE(all_stale(true));
  EXPECT_TRUE(State().startsWith("No data from the receiver for ")) << State().toStdString();
  EXPECT_TRUE(State().endsWith(port + " \u00b7 Recording second.gpx, waypoints: 0"));

  QString asked;
  window_->calls.clear();
  AnswerNextMessageBox("No", &asked);
  Command(IDM_EXIT);
  EXPECT_EQ(asked, "Really quit?");
  EXPECT_TRUE(window_->calls.empty());
  EXPECT_TRUE(GpxRecorderIsOpen(FixDisplayRecorder(&app_.display)));
  EXPECT_FALSE(std::filesystem::exists(ConfigFile()));

  bool closed_before_timer = false;
  window_->on_kill_timer = [&] {
    ReadFinishedGpx(second);  // fails the test unless finished
    closed_before_timer = app_.port.link.port == kInvalidSerialPort &&
                          std::filesystem::file_size(ConfigFile()) == 330u;
  };
  AnswerNextMessageBox("Yes");
  window_->close();  // the close box asks the same question
  EXPECT_TRUE(closed_before_timer);
  EXPECT_EQ(window_->calls, (std::vector<std::string>{"kill timer", "post quit"}));
  EXPECT_EQ(window_->quit_code, 0);
  QuitWithoutAsking(&app_, window_.get());  // a late signal runs nothing again
  EXPECT_EQ(window_->calls.size(), 2u);
}

// What a person sees on this screen (the suite runs again on a 360x720 phone screen, at
// 144 dpi and on 720x1440 scaled twice; TAVIK_TEST_SCREEN names the screen the run
// expects): every window whole on it; in both languages, at the desktop's font and at
// 14 pt, each read-out's widest text (what a receiver can send) whole, measured with its
// own font inside its frame, and the labels whole; the configuration dialog's lists
// labelled and named, in the template's tab order, their texts whole (with no port to
// open, the message and a port not available make it biggest); menu rows, lists and
// buttons a finger can hit; the template's rows only where they fit the screen's width.
TEST_F(AppWindowTest, EveryWindowOpensWhollyOnThisScreen) {
  const QRect screen = window_->screen()->availableGeometry();
  if (const char* expected = std::getenv("TAVIK_TEST_SCREEN")) {
    const qreal scale = window_->screen()->devicePixelRatio();
    EXPECT_EQ(
        QString("%1x%2").arg(qRound(screen.width() * scale)).arg(qRound(screen.height() * scale)),
        QString(expected));
  }
  const auto on_screen = [&](const QWidget* shown, const std::string& what) {
    const QRect at = shown->frameGeometry();
    EXPECT_TRUE(screen.contains(at))
        << what << " at " << at.x() << "," << at.y() << " " << at.width() << "x" << at.height()
        << " on " << screen.width() << "x" << screen.height();
  };
  // Each control `window` shows: inside it when `placed`; its texts whole (a read-out's
  // widest, measured with its own font inside its frame); buttons and lists named and
  // finger-sized.
  const auto controls_whole = [&](const QWidget* window, const std::string& where, bool placed) {
    for (const QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (control->isHidden()) continue;
      const std::string what = where + " " + control->objectName().toStdString() + " " +
                               control->accessibleName().toStdString();
      EXPECT_TRUE(!placed || window->rect().contains(control->geometry())) << what;
      if (const auto* label = qobject_cast<const QLabel*>(control)) {
        EXPECT_GE(label->height(), label->heightForWidth(label->width())) << what;
        if (!label->wordWrap()) {
          // A dialog's labels keep their margins too; the window's may give them up.
          EXPECT_TRUE(!window->inherits("QDialog") || label->width() >= label->sizeHint().width())
              << what;
          EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                    label->contentsRect().width())
              << what << label->text().toStdString();
        }
      } else if (const auto* readout = qobject_cast<const QLineEdit*>(control)) {
        const int frame = readout->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        // QLineEdit keeps 2 pixels free beside its text and draws a 1-pixel cursor.
        const int room = readout->contentsRect().width() - 2 * frame - 2 * 2 - 1;
        for (const QString& text : kWidest[readout->objectName().toInt() - IDC_TIME])
          EXPECT_LE(QFontMetrics(readout->font()).horizontalAdvance(text), room)
              << what << " " << text.toStdString();
      } else if (qobject_cast<const QPushButton*>(control) ||
                 qobject_cast<const QComboBox*>(control)) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << what;
        EXPECT_GE(control->height(), kTouchTargetPixels) << what;
      }
      if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << what;
      } else if (const auto* list = qobject_cast<const QComboBox*>(control)) {
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
  };
  // The configuration dialog's labels and parities in each language.
  const std::map<uint16_t, std::pair<QStringList, QStringList>> settings{
      {0x0409,
       {{"Port", "Baud rate", "Data bits", "Parity", "Stop bits"}, {"Odd", "None", "Even"}}},
      {0x0407,
       {{"Port", "Baudrate", "Datenbits", "Parit\u00e4t", "Stoppbits"},
        {"Ungerade", "Keine", "Gerade"}}},
  };
  const QFont desktop = QApplication::font();
  for (const auto& [language, point_size] :
       {std::pair<uint16_t, int>{0x0409, 0}, {0x0407, 0}, {0x0409, 14}, {0x0407, 14}}) {
    QFont font = desktop;
    if (point_size != 0) font.setPointSize(point_size);
    QApplication::setFont(font);
    AppState app;
    app.module = ChooseResourceModule(BinPath("tavik"), language, language);
    ASSERT_EQ(LoadAppStrings(app.module, &app.strings), 1);
    const std::string where = std::to_string(language) + " " + std::to_string(point_size);
    {
      MainWindow window(&app, *FindDialog(app.module.tables, IDD_MAIN));
      window.show();
      ASSERT_TRUE(WaitUntil([&] { return window.isVisible(); }));
      // Placed whole at the desktop's font. No template fits 300 pixels; any fits a
      // desktop's screen.
      const bool placed = point_size == 0;
      if (placed) on_screen(&window, "main window");
      if (placed && screen.width() < 300) {
        EXPECT_TRUE(window.OneColumn()) << screen.width();
      } else if (placed && screen.width() >= 800) {
        EXPECT_FALSE(window.OneColumn()) << screen.width();
      }
      EXPECT_EQ(window.findChildren<QLineEdit*>().size(), 6);  // each checked below
      controls_whole(&window, where, placed);
    }
    if (point_size == 0) {
      ConfigDialog dialog(*FindDialog(app.module.tables, IDD_CONFIG), &app, &app.config,
                          window_.get());
      dialog.show();
      ASSERT_TRUE(WaitUntil([&] { return FindControl(&dialog, IDOK)->isEnabled(); }, 20000));
      ASSERT_TRUE(WaitUntil([&] { return dialog.isVisible(); }));
      QApplication::processEvents();
      on_screen(&dialog, where + " configuration");
      QStringList labels, parities, tab_order;  // the template's tab order, from the port list on
      for (int setting = 0; setting < SETTING_COUNT; ++setting) {
        const QComboBox* list = FindControlAs<QComboBox>(&dialog, IDC_PORT_LIST + setting);
        for (const QLabel* label : dialog.findChildren<QLabel*>())
          if (label->buddy() == list) labels << label->text();
      }
      const auto* parity = FindControlAs<QComboBox>(&dialog, IDC_PORT_LIST + int{SETTING_PARITY});
      for (int i = 0; i < parity->count(); ++i)
        parities << parity->itemText(i);
      EXPECT_EQ(std::pair(labels, parities), settings.at(language));
      QWidget* next = FindControl(&dialog, IDC_PORT_LIST);
      for (int i = 0; i < 7; ++i, next = next->nextInFocusChain()) {
        while ((next->focusPolicy() & Qt::TabFocus) == 0)
          next = next->nextInFocusChain();
        tab_order << next->objectName();
      }
      EXPECT_EQ(tab_order, (QStringList{"407", "408", "409", "410", "411", "1", "2"}));
      controls_whole(&dialog, where + " configuration", true);
      dialog.reject();
    }
    ReleaseAppState(&app);
  }
  QApplication::setFont(desktop);

  std::unique_ptr<QMenu> menu(BuildContextMenu(app_.module, app_.menu_state, window_.get()));
  menu->popup(window_->mapToGlobal(window_->rect().bottomRight()));
  ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }));
  on_screen(menu.get(), "menu");
  for (QAction* action : menu->actions())
    EXPECT_GE(menu->actionGeometry(action).height(), kTouchTargetPixels)
        << action->text().toStdString();
  menu->close();
  // The error box with the longest text, "Really quit?" and the file chooser.
  for (const uint32_t command : {IDM_START, IDM_EXIT, IDM_RECORD}) {
    bool seen = false;
    WhenShown([&](QWidget* modal) {
      seen = true;
      const std::string what = modal->metaObject()->className();
      on_screen(modal, what);
      for (const QPushButton* button : modal->findChildren<QPushButton*>())
        EXPECT_TRUE(button->isHidden() || button->height() >= kTouchTargetPixels)
            << what << " " << button->text().toStdString();
      QMetaObject::invokeMethod(modal, "reject");
    });
    Command(command);
    EXPECT_TRUE(seen) << command;
  }
}

// A recording is proposed beside the last one, else in the documents folder, else at
// home; its name tells the local time.
TEST(ProposedRecordingPath, BesideTheLastElseDocumentsElseHome) {
  const TempDir dir;
  const QString home = QString::fromStdString(dir.path()), documents = home + "/Documents",
                tracks = home + "/tracks";
  QDir(home).mkdir("Documents");
  QDir(home).mkdir("tracks");
  const QDateTime now(QDate(2026, 12, 7), QTime(16, 41, 59));
  const struct {
    QString last, documents, folder;
  } cases[] = {
      {"", documents, documents},
      {"", home + "/missing", home},
      {tracks + "/walk.gpx", documents, tracks},
      {home + "/gone/walk.gpx", documents, documents},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProposedRecordingPath(c.last, c.documents, home, now),
              c.folder + "/tavik-2026-12-07-1641.gpx")
        << c.last.toStdString();
}

}  // namespace
