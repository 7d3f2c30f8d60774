// The window while its recording hits the file size limit: one message box that names
// the file and the reason, and a file that ends well-formed once there is room again.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>

#include "app/commands.h"
#include "tests/app/app_fixture.h"
#include "tests/gpx/gpx_file_check.h"

namespace {

TEST_F(AppWindowTest, AFailedRecordingIsToldOnceAndKeepsItsCompleteWaypoints) {
  auto receiver = AddReceiver(1);
  Command(IDM_START);
  const std::string track = files_.File("limited.gpx");
  AnswerNextFileDialog(QString::fromStdString(track));
  Command(IDM_RECORD);
  signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const rlimit small{1200, saved.rlim_max};  // the header and a few waypoints
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  QString told;
  AnswerNextMessageBox("OK", &told);
  for (int second = 0; second < 20; ++second)
    receiver->Send(GgaLine(second));
  const bool shown = WaitUntil([&] { return !told.isEmpty(); });
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  ASSERT_TRUE(shown) << "a message box tells of the failed recording";
  EXPECT_TRUE(told.contains(QString::fromStdString(track))) << told.toStdString();
  EXPECT_TRUE(told.contains(QString::fromLocal8Bit(strerror(EFBIG)))) << told.toStdString();

  for (int second = 20; second < 23; ++second)  // further fixes neither write nor tell
    receiver->Send(GgaLine(second));
  ASSERT_TRUE(WaitUntil([this] { return Readout(IDC_TIME) == "123541.000"; }));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  Command(IDM_STOP_RECORDING);
  const size_t waypoints = ReadFinishedGpx(track).size();
  EXPECT_TRUE(waypoints >= 1 && waypoints < 20) << waypoints;
  EXPECT_TRUE(told.contains(QString::number(waypoints))) << told.toStdString();
}

}  // namespace
