// The main window's commands, menu states and quit sequence on real parts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <filesystem>

#include "app/commands.h"
#include "app/template_builder.h"
#include "app/window_messages.h"
#include "tests/app/app_fixture.h"
#include "tests/app/qt_test_support.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

namespace {

const QList<int> kInitialMenu{603, 605, 606, 607, 610};
const QList<int> kLinkOpenMenu{604, 605, 606, 607, 610};

std::string ReadFile(const std::string& path) {
  std::string bytes;
  ReadWholeFile(path, &bytes);
  return bytes;
}

bool GpxComplete(const std::string& path) {
  const std::string gpx = ReadFile(path);
  return gpx.find("<bounds") != std::string::npos && gpx.find("</gpx>") != std::string::npos;
}

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

TEST_F(AppWindowTest, StartsWithTheInitialMenuAndEmptyReadOuts) {
  EXPECT_EQ(app_.menu_state, -19);
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  for (int id = 301; id <= 306; ++id)
    EXPECT_EQ(Readout(id), "") << id;
  EXPECT_EQ(std::u16string(app_.config.text[SETTING_PORT]), u"COM1:");  // defaulted
  EXPECT_FALSE(window_->KeepAwakeTimerRunning());
}

TEST_F(AppWindowTest, StartShowsFixesAndStopClosesTheLink) {
  auto receiver = AddReceiver(1);
  ASSERT_TRUE(receiver->ok());
  Command(IDM_START);
  EXPECT_EQ(EnabledMenuCommands(), kLinkOpenMenu);
  EXPECT_TRUE(window_->KeepAwakeTimerRunning());

  receiver->Send(GgaLine(0));
  ASSERT_TRUE(WaitUntil([this] { return !Readout(301).isEmpty(); }));
  EXPECT_EQ(Readout(301), "123519.000");
  EXPECT_EQ(Readout(302), " 545.4m");
  EXPECT_EQ(Readout(303), " 48.1173N");
  EXPECT_EQ(Readout(304), " 11.5167E");
  EXPECT_FALSE(Readout(305).isEmpty());
  EXPECT_FALSE(Readout(306).isEmpty());

  Command(IDM_STOP);
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  EXPECT_FALSE(window_->KeepAwakeTimerRunning());
  // The port is free again: a second link can take it.
  GpsPort other{};
  GpsPortReset(&other);
  EXPECT_EQ(GpsPortOpenWide(&other, u"COM1:", u"9600", u"8", u"N", u"1", 100, 0, nullptr, nullptr),
            1);
  GpsPortClose(&other);
}

TEST_F(AppWindowTest, AFailedStartShowsTheErrorAndChangesNothing) {
  QString text, caption, cause;
  AnswerNextMessageBox("OK", &text, &caption, &cause);
  Command(IDM_START);  // COM1: is absent
  EXPECT_EQ(text, "Can't open GPS port");
  EXPECT_EQ(caption, "tavik");
  const QString folder = QString::fromStdString(PortsFolder());
  EXPECT_EQ(cause, "COM1: (" + folder +
                       "/COM1): No such device. Plug the receiver in, or link it in the ports "
                       "folder " +
                       folder + ".");
  EXPECT_EQ(app_.menu_state, -19);
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  EXPECT_FALSE(window_->KeepAwakeTimerRunning());
}

TEST_F(AppWindowTest, AFailedStartSaysWhyInTheModulesLanguage) {
  app_.module = ChooseResourceModule(BinPath("tavik"), 0x0407, 0x0407);
  ASSERT_NE(app_.module.library, nullptr);
  auto receiver = AddReceiver(1);
  GpsPort other{};
  ASSERT_TRUE(GpsPortOpenNarrow(&other, "COM1:", "9600", "8", "N", "1", 100, 0, nullptr, nullptr));
  QString cause;
  AnswerNextMessageBox("OK", nullptr, nullptr, &cause);
  Command(IDM_START);
  EXPECT_EQ(cause, "COM1: (" + QString::fromStdString(PortsFolder()) +
                       "/COM1): Belegt. Ein anderes Programm h\u00e4lt den Port, oder ein "
                       "beendetes Programm hat ihn gesperrt hinterlassen.");
  GpsPortClose(&other);
}

// The widest texts the formats give for the values a receiver can send, and every
// label of both languages, fit their fields, measured with the font each field really
// uses: at the desktop's font and at 14 pt (the suite runs again at QT_SCALE_FACTOR=2).
TEST_F(AppWindowTest, ReadOutsAndLabelsShowTheirWidestTextsWhole) {
  const QMap<int, QStringList> widest = {
      {301, {"235959.999"}},
      {302, {"-9999.9m", "99999.9m"}},
      {303, {" 90.0000N", " 90.0000S"}},
      {304, {"179.9999E", "179.9999W", "179.9999O"}},
      {305, {"-9999.999km", "9999.999km"}},
      {306, {" 999.999km"}},
  };
  const QFont desktop = QApplication::font();
  for (const uint16_t language : {0x0409, 0x0407}) {
    for (const int point_size : {0, 14}) {
      QFont font = desktop;
      if (point_size > 0) font.setPointSize(point_size);
      QApplication::setFont(font);
      AppState app;
      if (language != 0x0409)
        app.module = ChooseResourceModule(BinPath("tavik"), language, language);
      ASSERT_EQ(app.module.tables->language, language);
      ASSERT_EQ(LoadAppStrings(app.module, &app.strings), 1);
      {
        MainWindow window(&app, *FindDialog(app.module.tables, IDD_MAIN));
        const QString where =
            QString("language %1, %2 pt: ").arg(language, 0, 16).arg(font.pointSize());
        for (auto field = widest.begin(); field != widest.end(); ++field) {
          auto* edit = FindControlAs<QLineEdit>(&window, field.key());
          for (const QString& text : field.value()) {
            EXPECT_LE(QFontMetrics(edit->font()).horizontalAdvance(text), TextAreaWidth(edit))
                << (where + text).toStdString();
          }
        }
        int labels = 0;
        for (const QLabel* label : window.findChildren<QLabel*>()) {
          ++labels;
          EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                    TextAreaWidth(label))
              << (where + label->text()).toStdString();
        }
        EXPECT_EQ(labels, 3);
      }
      ReleaseAppState(&app);
    }
  }
  QApplication::setFont(desktop);
}

TEST_F(AppWindowTest, RecordAndStopRecordingSwapTheirMenuItems) {
  const std::string track = files_.File("track");
  AnswerNextFileDialog(QString::fromStdString(track));
  Command(IDM_RECORD);
  EXPECT_EQ(EnabledMenuCommands(), (QList<int>{603, 605, 606, 608, 610}));
  EXPECT_TRUE(std::filesystem::exists(track));  // the name as typed, no ".gpx" added

  Command(IDM_STOP_RECORDING);
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  EXPECT_TRUE(GpxComplete(track));
}

TEST_F(AppWindowTest, ACancelledOrFailedRecordChangesNothing) {
  AnswerNextFileDialog(QString());
  Command(IDM_RECORD);
  EXPECT_EQ(app_.menu_state, -19);

  AnswerNextFileDialog(QString::fromStdString(files_.File("no-such-folder/track.gpx")));
  Command(IDM_RECORD);
  EXPECT_EQ(app_.menu_state, -19);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // nothing is shown
}

TEST_F(AppWindowTest, RecordingAgainClosesTheFirstFileCompletely) {
  auto receiver = AddReceiver(1);
  Command(IDM_START);
  const std::string first = files_.File("first.gpx");
  const std::string second = files_.File("second.gpx");
  AnswerNextFileDialog(QString::fromStdString(first));
  Command(IDM_RECORD);
  for (int second_of_walk = 0; second_of_walk < 3; ++second_of_walk) {
    receiver->Send(GgaLine(second_of_walk));
  }
  ASSERT_TRUE(WaitUntil([this] { return Readout(301) == "123521.000"; }));
  AnswerNextFileDialog(QString::fromStdString(second));
  Command(IDM_RECORD);
  EXPECT_TRUE(GpxComplete(first));
  EXPECT_EQ(CountOf(ReadFile(first), "<wpt"), 3u);
  Command(IDM_STOP_RECORDING);
  EXPECT_TRUE(GpxComplete(second));
}

TEST_F(AppWindowTest, ExitAnsweredNoLeavesEverythingRunning) {
  auto receiver = AddReceiver(1);
  Command(IDM_START);
  AnswerNextFileDialog(QString::fromStdString(files_.File("track.gpx")));
  Command(IDM_RECORD);
  QString text;
  AnswerNextMessageBox("No", &text);
  Command(IDM_EXIT);
  EXPECT_EQ(text, "Really quit?");
  EXPECT_TRUE(window_->calls.empty());
  EXPECT_TRUE(window_->KeepAwakeTimerRunning());
  EXPECT_TRUE(GpxRecorderIsOpen(&app_.display.recorder));
  EXPECT_EQ(EnabledMenuCommands(), (QList<int>{604, 605, 606, 608, 610}));
  EXPECT_FALSE(std::filesystem::exists(ConfigFile()));
}

TEST_F(AppWindowTest, QuitClosesTheRecordingAndTheLinkAndSavesBeforeTheLoopEnds) {
  auto receiver = AddReceiver(1);
  Command(IDM_START);
  const std::string track = files_.File("track.gpx");
  AnswerNextFileDialog(QString::fromStdString(track));
  Command(IDM_RECORD);
  receiver->Send(GgaLine(0));
  ASSERT_TRUE(WaitUntil([this] { return !Readout(303).isEmpty(); }));

  bool recording_closed = false, config_saved = false, link_closed = false;
  window_->on_kill_timer = [&] {
    recording_closed = GpxComplete(track) && !GpxRecorderIsOpen(&app_.display.recorder);
    config_saved = std::filesystem::exists(ConfigFile());
    link_closed = app_.port.link.port == kInvalidSerialPort;
  };
  AnswerNextMessageBox("Yes");
  window_->close();  // the window's close box asks the same question
  EXPECT_TRUE(recording_closed);
  EXPECT_TRUE(link_closed);
  EXPECT_TRUE(config_saved);
  EXPECT_EQ(window_->calls, (std::vector<std::string>{"kill timer", "post quit"}));
  EXPECT_EQ(window_->quit_code, 0);
  EXPECT_EQ(std::filesystem::file_size(ConfigFile()), 330u);
  EXPECT_EQ(CountOf(ReadFile(track), "<wpt"), 1u);

  // Once quit, a late close or signal runs nothing again.
  QuitWithoutAsking(&app_, window_.get());
  EXPECT_EQ(window_->calls.size(), 2u);
}

TEST_F(AppWindowTest, AnEmptyFixMessageChangesNothing) {
  std::u16string(u"stale").copy(app_.display.time_text, 5);
  QCoreApplication::postEvent(window_.get(), new WindowMessageEvent(kFixUpdatedEvent, 0, 0));
  QCoreApplication::sendPostedEvents(window_.get(), kFixUpdatedEvent);
  EXPECT_EQ(Readout(301), "");
  QCoreApplication::postEvent(window_.get(), new WindowMessageEvent(kFixUpdatedEvent, 1, 0));
  QCoreApplication::sendPostedEvents(window_.get(), kFixUpdatedEvent);
  EXPECT_EQ(Readout(301), "stale");
}

TEST_F(AppWindowTest, ChoosingFromTheContextMenuRunsTheCommand) {
  QString asked;
  AnswerNextMessageBox("No", &asked);
  ChooseFromNextMenu(IDM_EXIT);
  const QPointF background(3, 3);
  QMouseEvent press(QEvent::MouseButtonPress, background, window_->mapToGlobal(background),
                    Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(window_.get(), &press);
  // The chosen command arrives later, as a queued command.
  EXPECT_TRUE(WaitUntil([&asked] { return asked == "Really quit?"; }));
}

// The keys and presses that open the window's menu; a read-out's own menu never shows.
TEST_F(AppWindowTest, KeysAndPressesOnReadOutsOpenTheMenu) {
  auto* time = FindControlAs<QLineEdit>(window_.get(), 301);
  const QPointF inside(5, 5);
  struct Trigger {
    const char* name;
    QWidget* target;
    std::function<QEvent*()> make;
  };
  const Trigger triggers[] = {
      {"Shift+F10", time,
       [] { return new QKeyEvent(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier); }},
      {"Menu key", time,
       [] { return new QKeyEvent(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier); }},
      {"left press on a read-out", FindControl(window_.get(), 303),
       [&] {
         return new QMouseEvent(QEvent::MouseButtonPress, inside, inside, Qt::LeftButton,
                                Qt::LeftButton, Qt::NoModifier);
       }},
      {"right press on a read-out", FindControl(window_.get(), 306),
       [&] {
         return new QMouseEvent(QEvent::MouseButtonPress, inside, inside, Qt::RightButton,
                                Qt::RightButton, Qt::NoModifier);
       }},
  };
  for (const Trigger& trigger : triggers) {
    QList<int> enabled;
    ChooseFromNextMenu(0, &enabled);
    std::unique_ptr<QEvent> event(trigger.make());
    QApplication::sendEvent(trigger.target, event.get());
    EXPECT_EQ(enabled, kInitialMenu) << trigger.name;
  }
  // Escape closes the menu and runs nothing.
  WhenPopupShows([](QWidget* menu) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(menu, &escape);
  });
  QKeyEvent menu_key(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier);
  QApplication::sendEvent(time, &menu_key);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  QCoreApplication::sendPostedEvents(window_.get(), kCommandEvent);
  EXPECT_EQ(app_.menu_state, -19);
}

}  // namespace
