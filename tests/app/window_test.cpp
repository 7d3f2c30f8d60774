// The main window on real parts: its commands, menu states and quit sequence, the
// read-outs and how they fit, and what the window says when a link fails or goes stale.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <cstring>
#include <filesystem>

#include "app/commands.h"
#include "app/template_builder.h"
#include "app/window_messages.h"
#include "tests/app/app_fixture.h"
#include "tests/gpx/gpx_file_check.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

namespace {

const QList<int> kInitialMenu{603, 605, 606, 607, 610};

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
    for (int waited = 0; waited < 15000; waited += 500) {
      act();
      if (WaitUntil([&] { return window_->windowTitle().contains(QRegularExpression(title)); },
                    500))
        return true;
    }
    return false;
  };
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  const QString folder = QString::fromStdString(ports_.folder());
  QString told;  // the defaulted record names COM1:, which leads nowhere yet
  AnswerNextMessageBox("OK", &told);
  Command(IDM_START);
  EXPECT_EQ(told, "Can't open GPS port\nCOM1: (" + folder +
                      "/COM1): No such device. Plug the receiver in, or link "
                      "it in the ports folder " +
                      folder + ".");
  EXPECT_EQ(app_.menu_state, -19);
  EXPECT_FALSE(window_->KeepAwakeTimerRunning());
  auto receiver = AddReceiver(1);
  Command(IDM_START);
  EXPECT_EQ(EnabledMenuCommands(), (QList<int>{604, 605, 606, 607, 610}));
  EXPECT_TRUE(window_->KeepAwakeTimerRunning());
  receiver->Send(GgaLine(0));
  ASSERT_TRUE(WaitUntil([&] { return all_stale(false) && !Readout(IDC_EASTING).isEmpty(); }));
  QStringList shown;
  for (int id = IDC_TIME; id <= IDC_LONGITUDE; ++id)
    shown << Readout(id);
  EXPECT_EQ(shown, (QStringList{"123519.000", " 545.4m", " 48.1173N", " 11.5167E"}));
  ASSERT_TRUE(
      act_until([&] { receiver->Send(no_position); }, "^GPS \u2013 data without a position for "));
  EXPECT_TRUE(all_stale(true));
  EXPECT_EQ(Readout(IDC_LATITUDE), shown[2]);
  EXPECT_TRUE(act_until([&] { receiver->Send(GgaLine(0)); }, "^GPS$"));
  EXPECT_TRUE(all_stale(false));
  Command(IDM_STOP);
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  EXPECT_FALSE(window_->KeepAwakeTimerRunning());
  EXPECT_TRUE(all_stale(true));
  EXPECT_EQ(window_->windowTitle(), "GPS \u2013 stopped, not live");

  AnswerNextFileDialog(QString());  // cancelled: nothing changes
  Command(IDM_RECORD);
  EXPECT_EQ(app_.menu_state, -19);
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
    EXPECT_FALSE(GpxRecorderIsOpen(&app_.display.recorder));
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
  AnswerNextFileDialog(QString::fromStdString(second));
  Command(IDM_RECORD);  // the first file is closed, whole, named as typed
  EXPECT_EQ(ReadFinishedGpx(first).size(), 3u);
  receiver.reset();
  ASSERT_TRUE(act_until([] {}, "^GPS \u2013 no data from the receiver for "));
  EXPECT_TRUE(all_stale(true));

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

// The widest texts the formats give for what a receiver can send, and the labels,
// fit their fields in both languages at the desktop's font and at 14 pt (and the
// suite runs again at QT_SCALE_FACTOR=2).
TEST_F(AppWindowTest, ReadOutsAndLabelsShowTheirWidestTextsWhole) {
  // By read-out, from the time to the easting.
  // clang-format off
  const QStringList widest[] = {{"235959.999"}, {"-9999.9m", "99999.9m"}, {" 90.0000N", " 90.0000S"},
      {"179.9999E", "179.9999W", "179.9999O"}, {"-9999.999km", "9999.999km"}, {" 999.999km"}};
  // clang-format on
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
        const auto fits = [&](const QWidget* field, const QString& text) {
          EXPECT_LE(QFontMetrics(field->font()).horizontalAdvance(text), TextAreaWidth(field))
              << language << " " << point_size << " " << text.toStdString();
        };
        for (int id = IDC_TIME; id <= IDC_EASTING; ++id)
          for (const QString& text : widest[id - IDC_TIME])
            fits(FindControl(&window, id), text);
        for (const QLabel* label : window.findChildren<QLabel*>())
          fits(label, label->text());
      }
      ReleaseAppState(&app);
    }
  }
  QApplication::setFont(desktop);
}

}  // namespace
