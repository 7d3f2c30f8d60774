// The whole road of a fix on real receiver data: every capture of data/nmea decoded from its
// file gives the read-outs kept in readouts/; replayed by tavik-sim into a pseudo-terminal and
// read by tavik-decode through the serial link, it gives the read-outs and the GPX file that
// decoding the file gives.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/shared_data.h"

namespace {

// A last fix that tells the reader when the capture has passed.
constexpr char kSentinel[] = "$GPGGA,235959,0101.000,N,00101.000,E,1,08,0.9,11.0,M,,M,,*00";

TEST(CaptureReplay, LiveReadoutsAndRecordingEqualThoseOfTheFile) {
  const std::string decode = BinPath("tavik-decode");
  size_t replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(DataPath("nmea"))) {
    if (entry.path().extension() != ".log") continue;
    ++replayed;
    SCOPED_TRACE(entry.path());
    std::string capture, expected;
    ASSERT_TRUE(ReadWholeFile(entry.path(), &capture));
    ASSERT_TRUE(
        ReadWholeFile(TAVIK_EXPECTED_READOUTS + entry.path().stem().string() + ".txt", &expected));
    TempDir dir;
    const std::string log = dir.File("capture.log"), file_gpx = dir.File("file.gpx"),
                      live_gpx = dir.File("live.gpx");
    ASSERT_TRUE(WriteWholeFile(log, capture + "\r\n" + kSentinel + "\r\n"));
    const std::string rows = RunProgram({decode, log}).out;
    const ProgramResult from_file = RunProgram({decode, "--readouts", "--gpx", file_gpx, log});
    ASSERT_EQ(from_file.exit_status, 0) << from_file.err;
    EXPECT_EQ(from_file.out.substr(0, expected.size()), expected);

    TempPortsFolder ports;
    BackgroundProgram sim(
        {BinPath("tavik-sim"), "--port", "COM4:", "--replay", log, "--interval", "0", "--wait"});
    PollUntil([&] { return access((ports.folder() + "/COM4").c_str(), F_OK) == 0; }, 5000);
    BackgroundProgram reader({decode, "--port", "COM4:", "--timeout", "50", "--count",
                              std::to_string(std::ranges::count(rows, '\n') - 1), "--readouts",
                              "--gpx", live_gpx});
    const ProgramResult live = reader.Finish(0, 60000);
    sim.Finish(SIGTERM, 5000);
    ASSERT_EQ(live.exit_status, 0) << live.err;
    EXPECT_EQ(live.out, from_file.out);
    EXPECT_EQ(MaskedTimes(live_gpx), MaskedTimes(file_gpx));
    // The file is whole, with a waypoint for each update that moved the position or the
    // altitude (bits 1 to 3), and a GPX reader of the desktop reads its points.
    size_t moves = 0;
    std::istringstream lines(live.out);
    for (std::string line; std::getline(lines, line);)
      moves += (strtoul(line.c_str(), nullptr, 16) & 0x0e) != 0;
    EXPECT_EQ(ReadFinishedGpx(live_gpx).size(), moves);
    EXPECT_EQ(GpsbabelWaypoints(live_gpx).size(), moves);
  }
  EXPECT_EQ(replayed, 25u);  // every capture, each with its expected read-outs
}

}  // namespace
