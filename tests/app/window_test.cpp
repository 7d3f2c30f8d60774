// The main window on real parts: its commands, menu states and quit sequence, the
// read-outs and how they fit, and what the window says when a link fails or goes stale.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>
#include <sstream>

#include "app/commands.h"
#include "app/template_builder.h"
#include "app/window_messages.h"
#include "tests/app/app_fixture.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

namespace {

const QList<int> kInitialMenu{603, 605, 606, 607, 610};

std::string FileText(const std::string& path) {
  std::string text;
  ReadWholeFile(path, &text);
  return text;
}

bool GpxComplete(const std::string& path) {
  const std::string gpx = FileText(path);
  return gpx.find("<bounds") != std::string::npos && gpx.ends_with("</gpx>\n");
}

// Start, record, stop and quit as a session goes, with the menu each step leaves.
TEST_F(AppWindowTest, ASessionFromStartToQuit) {
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  EXPECT_EQ(std::u16string(app_.config.text[SETTING_PORT]), u"COM1:");  // defaulted
  auto receiver = AddReceiver(1);
  Command(IDM_START);
  EXPECT_EQ(EnabledMenuCommands(), (QList<int>{604, 605, 606, 607, 610}));
  EXPECT_TRUE(window_->KeepAwakeTimerRunning());
  receiver->Send(GgaLine(0));
  ASSERT_TRUE(WaitUntil([this] { return !Readout(IDC_EASTING).isEmpty(); }));
  QStringList shown;
  for (int id = IDC_TIME; id <= IDC_LONGITUDE; ++id)
    shown << Readout(id);
  EXPECT_EQ(shown, (QStringList{"123519.000", " 545.4m", " 48.1173N", " 11.5167E"}));
  Command(IDM_STOP);
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  EXPECT_FALSE(window_->KeepAwakeTimerRunning());
  GpsPort other{};  // the port is free again
  EXPECT_EQ(GpsPortOpenNarrow(&other, "COM1:", "9600", "8", "N", "1", 100, 0, nullptr, nullptr), 1);
  GpsPortClose(&other);

  AnswerNextFileDialog(QString());  // cancelled: nothing changes
  Command(IDM_RECORD);
  AnswerNextFileDialog(QString::fromStdString(files_.File("no-such-folder/track.gpx")));
  Command(IDM_RECORD);
  EXPECT_EQ(app_.menu_state, -19);
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
  AnswerNextFileDialog(QString::fromStdString(second));
  Command(IDM_RECORD);  // the first file is closed, whole, named as typed
  EXPECT_TRUE(GpxComplete(first));
  EXPECT_EQ(CountOf(FileText(first), "<wpt"), 3u);

  QString asked;
  window_->calls.clear();
  AnswerNextMessageBox("No", &asked);
  Command(IDM_EXIT);
  EXPECT_EQ(asked, "Really quit?");
  EXPECT_TRUE(window_->calls.empty());
  EXPECT_TRUE(GpxRecorderIsOpen(&app_.display.recorder));
  EXPECT_FALSE(std::filesystem::exists(ConfigFile()));

  bool closed_before_timer = false;
  window_->on_kill_timer = [&] {
    closed_before_timer = GpxComplete(second) && app_.port.link.port == kInvalidSerialPort &&
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

// A failed Start says why, in the module's language, and changes nothing.
TEST_F(AppWindowTest, AFailedStartSaysWhy) {
  const QString folder = QString::fromStdString(PortsFolder());
  for (const bool german : {false, true}) {
    GpsPort holder{};
    std::unique_ptr<FakeReceiver> receiver;
    if (german) {  // COM1: is held by another link
      app_.module = ChooseResourceModule(BinPath("tavik"), 0x0407, 0x0407);
      receiver = AddReceiver(1);
      ASSERT_TRUE(
          GpsPortOpenNarrow(&holder, "COM1:", "9600", "8", "N", "1", 100, 0, nullptr, nullptr));
    }
    QString text, caption, cause;
    AnswerNextMessageBox("OK", &text, &caption, &cause);
    Command(IDM_START);
    EXPECT_EQ(caption, "tavik");
    EXPECT_EQ(cause, "COM1: (" + folder + "/COM1): " +
                         (german ? "Belegt. Ein anderes Programm h\u00e4lt den Port, oder ein "
                                   "beendetes Programm hat ihn gesperrt hinterlassen."
                                 : "No such device. Plug the receiver in, or link it in the "
                                   "ports folder " +
                                       folder + "."));
    EXPECT_EQ(app_.menu_state, -19);
    EXPECT_FALSE(window_->KeepAwakeTimerRunning());
    GpsPortClose(&holder);
  }
}

// The widest texts the formats give for what a receiver can send, and the labels,
// fit their fields in both languages at the desktop's font and at 14 pt (and the
// suite runs again at QT_SCALE_FACTOR=2).
TEST_F(AppWindowTest, ReadOutsAndLabelsShowTheirWidestTextsWhole) {
  const QMap<int, QStringList> widest = {
      {IDC_TIME, {"235959.999"}},
      {IDC_ALTITUDE, {"-9999.9m", "99999.9m"}},
      {IDC_LATITUDE, {" 90.0000N", " 90.0000S"}},
      {IDC_LONGITUDE, {"179.9999E", "179.9999W", "179.9999O"}},
      {IDC_NORTHING, {"-9999.999km", "9999.999km"}},
      {IDC_EASTING, {" 999.999km"}},
  };
  const QFont desktop = QApplication::font();
  for (const uint16_t language : {0x0409, 0x0407}) {
    for (const int point_size : {desktop.pointSize(), 14}) {
      QFont font = desktop;
      font.setPointSize(point_size);
      QApplication::setFont(font);
      AppState app;
      app.module = ChooseResourceModule(BinPath("tavik"), language, language);
      ASSERT_EQ(LoadAppStrings(app.module, &app.strings), 1);
      {
        MainWindow window(&app, *FindDialog(app.module.tables, IDD_MAIN));
        const std::string where = std::to_string(language) + " " + std::to_string(point_size);
        for (auto field = widest.begin(); field != widest.end(); ++field) {
          auto* edit = FindControlAs<QLineEdit>(&window, field.key());
          for (const QString& text : field.value())
            EXPECT_LE(QFontMetrics(edit->font()).horizontalAdvance(text), TextAreaWidth(edit))
                << where << text.toStdString();
        }
        for (const QLabel* label : window.findChildren<QLabel*>())
          EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                    TextAreaWidth(label))
              << where << label->text().toStdString();
        // The README's picture: texts that the fields once cut, shown whole.
        if (language == 0x0409 && point_size == desktop.pointSize() &&
            qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) {
          const QStringList fix = {"222433.000", " 545.4m",    " 47.3769N",
                                   "  8.5417E",  "5247.155km", " 465.407km"};
          for (int id = IDC_TIME; id <= IDC_EASTING; ++id)
            FindControlAs<QLineEdit>(&window, id)->setText(fix[id - IDC_TIME]);
          window.show();
          QApplication::processEvents();
          EXPECT_TRUE(window.grab().save(TAVIK_SOURCE_DIR "/doc/screenshot.png"));
        }
      }
      ReleaseAppState(&app);
    }
  }
  QApplication::setFont(desktop);
}

// The keys and presses that open the window's menu (a read-out's own never shows); a
// chosen item arrives as a command.
TEST_F(AppWindowTest, KeysAndPressesOpenTheMenu) {
  QWidget* time = FindControl(window_.get(), IDC_TIME);
  const QPointF at(5, 5);
  QKeyEvent shift_f10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
  QKeyEvent menu_key(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier);
  QMouseEvent left(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, {});
  QMouseEvent right(QEvent::MouseButtonPress, at, at, Qt::RightButton, Qt::RightButton, {});
  const std::pair<QWidget*, QEvent*> triggers[] = {
      {time, &shift_f10},
      {time, &menu_key},
      {FindControl(window_.get(), IDC_LATITUDE), &left},
      {FindControl(window_.get(), IDC_EASTING), &right},
  };
  for (const auto& [target, event] : triggers) {
    QList<int> enabled;
    ChooseFromNextMenu(0, &enabled);
    QApplication::sendEvent(target, event);
    EXPECT_EQ(enabled, kInitialMenu);
  }
  QString asked;
  AnswerNextMessageBox("No", &asked);
  ChooseFromNextMenu(IDM_EXIT);
  QApplication::sendEvent(time, &menu_key);
  EXPECT_TRUE(WaitUntil([&asked] { return asked == "Really quit?"; }));
}

// Read-outs that are not live look stale, keep their last values, and the title says
// why; a fresh fix brings them back.
TEST_F(AppWindowTest, ReadOutsLookStaleAndTheTitleSaysWhy) {
  SKIP_WITHOUT_SHARED_DATA();
  std::string capture, line, no_position;  // GGA lines of a receiver without a fix
  ReadWholeFile(SharedDataPath("nmea/st-teseo-liv4f.log"), &capture);
  for (std::istringstream in(capture); std::getline(in, line);)
    if (line.find("GGA,") != std::string::npos)
      no_position += line.substr(0, line.find('\r')) + "\r\n";
  const auto all_stale = [this](bool stale) {
    for (int id = IDC_TIME; id <= IDC_EASTING; ++id) {
      const auto* edit = FindControlAs<QLineEdit>(window_.get(), id);
      const QPalette& colours = edit->palette();
      const bool greyed = colours.color(QPalette::Active, QPalette::Text) ==
                          colours.color(QPalette::Disabled, QPalette::Text);
      if ((edit->property("stale").toBool() && greyed) != stale) return false;
    }
    return true;
  };
  // Does `act` now and every half second until `done`.
  const auto act_until = [](const std::function<void()>& act, const std::function<bool()>& done) {
    for (int waited = 0; waited < 15000; waited += 500) {
      act();
      if (WaitUntil(done, 500)) return true;
    }
    return false;
  };
  const std::string no_data = "GPS \u2013 no data from the receiver for ";
  const std::vector<std::pair<std::function<void(std::unique_ptr<FakeReceiver>*)>, std::string>>
      cases = {{[](auto*) {}, no_data},
               {[](auto* receiver) { receiver->reset(); }, no_data},
               {[&](auto* receiver) { (*receiver)->Send(no_position); },
                "GPS \u2013 data without a position for "}};
  for (size_t i = 0; i < cases.size(); ++i) {
    auto receiver = AddReceiver(1);
    Command(IDM_START);
    receiver->Send(GgaLine(10 * i));
    ASSERT_TRUE(WaitUntil([&] { return all_stale(false) && !Readout(IDC_LATITUDE).isEmpty(); }));
    const QString latitude = Readout(IDC_LATITUDE);
    EXPECT_EQ(window_->windowTitle(), "GPS");
    ASSERT_TRUE(act_until(
        [&] { cases[i].first(&receiver); },
        [&] { return window_->windowTitle().startsWith(QString::fromStdString(cases[i].second)); }))
        << i << window_->windowTitle().toStdString();
    EXPECT_TRUE(all_stale(true)) << i;
    EXPECT_EQ(Readout(IDC_LATITUDE), latitude) << i;
    if (receiver == nullptr) receiver = AddReceiver(1);  // plugged in again
    ASSERT_TRUE(
        act_until([&] { receiver->Send(GgaLine(10 * i + 5)); }, [&] { return all_stale(false); }));
    EXPECT_EQ(window_->windowTitle(), "GPS");
    Command(IDM_STOP);
    EXPECT_TRUE(all_stale(true)) << i;
    EXPECT_EQ(window_->windowTitle(), "GPS \u2013 stopped, not live");
  }
}

}  // namespace
