// The window while network sources cannot be reached, in a private network whose name
// server never answers and whose port 10111 never answers a connection
// (tavik_test_netns, in which the case runs itself again). Start, Stop, Configure's
// Cancel and Exit answer at once whatever the network does; a 10 ms heartbeat measures
// the longest the window's event loop is held.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "app/commands.h"
#include "app/widgets/template_builder.h"
#include "language/resource_module.h"
#include "tests/app/app_fixture.h"
#include "tests/gpx/gpx_file_check.h"

namespace {

constexpr char kInPrivateNetwork[] = "TAVIK_IN_PRIVATE_NETWORK";

TEST_F(AppWindowTest, NothingOnTheNetworkHoldsTheWindow) {
  if (getenv(kInPrivateNetwork) == nullptr) {
    const ProgramResult run = RunProgram(
        {BinPath("tavik_test_netns"), "--dns-timeout", "2", "--silent-port", "10111", "--",
         ProgramFilePath(), "--gtest_filter=AppWindowTest.NothingOnTheNetworkHoldsTheWindow"},
        "", {std::string(kInPrivateNetwork) + "=1"});
    if (run.exit_status == 77) GTEST_SKIP() << run.err;
    EXPECT_EQ(run.exit_status, 0) << run.out << run.err;
    const size_t table = run.out.find("step"), end = run.out.find("[  ", table);
    if (table != std::string::npos) printf("%s", run.out.substr(table, end - table).c_str());
    return;
  }
  const std::string com1 = ports_.folder() + "/COM1";
  const auto entry = [&](const std::string& source) {
    unlink(com1.c_str());  // a link to a device until now: not written through
    ASSERT_TRUE(WriteWholeFile(com1, source + "\n"));
  };
  // The longest gap between the ticks of a 10 ms timer since the last take_longest().
  QTimer heartbeat;
  QElapsedTimer since_tick;
  qint64 longest = 0;
  QObject::connect(&heartbeat, &QTimer::timeout,
                   [&] { longest = std::max(longest, since_tick.restart()); });
  since_tick.start();
  heartbeat.start(10);
  const auto take_longest = [&] {
    QApplication::processEvents();
    return std::exchange(longest, 0);
  };
  printf("step                                            longest block\n");
  const auto step = [&](const char* name) {
    Pause(50);  // the ticks after the step's last action tell how long it held the loop
    const qint64 held = take_longest();
    printf("%-48s %6lld ms\n", name, static_cast<long long>(held));
    EXPECT_LT(held, 1000) << name;
  };

  // Start while the name server stays silent, then Stop.
  entry("tcp://gps.test:10110");
  take_longest();
  Command(IDM_START);
  EXPECT_EQ(EnabledMenuCommands(), kStartedMenu);
  EXPECT_EQ(window_->windowTitle(), "GPS \u2013 Connecting to gps.test:10110\u2026");
  step("Start, the name server silent");
  Pause(300);
  Command(IDM_STOP);
  EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
  step("Stop during the lookup");

  // Left to themselves: the lookup and then the connection end in the error box of a
  // failed Start, with the cause.
  const struct {
    const char *source, *step;
    QString said;
  } failures[] = {
      {"tcp://gps.test:10110", "Start until the lookup fails", "no name server answered"},
      {"tcp://127.0.0.1:10111", "Start until connect fails", "The host did not answer."},
  };
  for (const auto& failure : failures) {
    entry(failure.source);
    QString told;
    AnswerNextMessageBox("OK", &told);
    Command(IDM_START);
    ASSERT_TRUE(WaitUntil([&] { return !told.isEmpty(); }, 20000)) << failure.source;
    EXPECT_TRUE(told.startsWith("Can't open GPS port\nCOM1: (")) << told.toStdString();
    EXPECT_TRUE(told.contains(failure.said)) << told.toStdString();
    EXPECT_EQ(EnabledMenuCommands(), kInitialMenu);
    EXPECT_FALSE(window_->KeepingAwake());
    step(failure.step);
  }

  // Configure's Cancel while its probe waits for the name server.
  entry("tcp://gps.test:10110");
  QElapsedTimer since_cancel;
  WhenShown([&](QWidget* dialog) {
    Pause(300);
    since_cancel.start();
    FindControlAs<QPushButton>(dialog, IDCANCEL)->click();
  });
  Command(IDM_CONFIGURE);
  const qint64 cancel_ms = since_cancel.elapsed();
  EXPECT_LT(cancel_ms, 1000);
  step("Configure's Cancel during the probe");

  // A source that answers: what it sent before Stop is all recorded. Then it goes, its
  // entry now names a host the name server is silent about, and Stop comes while the
  // reader looks it up again.
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{AF_INET, htons(10112), {htonl(INADDR_LOOPBACK)}, {}};
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  entry("tcp://127.0.0.1:10112");
  const std::string track = files_.File("track.gpx");
  AnswerNextFileDialog(QString::fromStdString(track));
  Command(IDM_RECORD);
  int connection = -1;
  const auto accept_one = [&] {
    pollfd wait{listener, POLLIN, 0};
    return WaitUntil([&] { return poll(&wait, 1, 0) == 1; }, 10000) &&
           (connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;
  };
  Command(IDM_START);
  ASSERT_TRUE(accept_one());
  ASSERT_TRUE(WaitUntil([&] { return window_->windowTitle() == "GPS"; }));
  std::string fixes;
  for (int second = 0; second < 6; ++second)
    fixes += GgaLine(second);
  ASSERT_EQ(send(connection, fixes.data(), fixes.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(fixes.size()));
  int unsent = 1;
  ASSERT_TRUE(WaitUntil([&] { return ioctl(connection, SIOCOUTQ, &unsent) == 0 && unsent == 0; }));
  Command(IDM_STOP);  // before the read in progress returns by itself
  Command(IDM_STOP_RECORDING);
  EXPECT_EQ(ReadFinishedGpx(track).size(), 6u);
  close(connection);
  Command(IDM_START);
  ASSERT_TRUE(accept_one());
  entry("tcp://gps.test:10110");
  close(connection);
  close(listener);
  // The reader sees the connection gone within half a second, waits a second, then
  // looks the name up again for 2 s: at 2 s it is in the lookup.
  Pause(2000);
  take_longest();
  Command(IDM_STOP);
  step("Stop while the reader looks the name up again");

  // Exit while connecting.
  Command(IDM_START);
  Pause(300);
  AnswerNextMessageBox("Yes");
  Command(IDM_EXIT);
  EXPECT_EQ(window_->quit_code, 0);
  step("Exit during the lookup");
  printf("%-48s %6lld ms\n", "Configure: Cancel clicked until it closed",
         static_cast<long long>(cancel_ms));
}

}  // namespace
