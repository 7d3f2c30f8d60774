// The simulated receiver's port after its reader was killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"

namespace {

using namespace std::chrono_literals;

TEST(PortFaults, APortWhoseReaderWasKilledOpensAgain) {
  TempPortsFolder ports;
  BackgroundProgram sim({BinPath("tavik-sim"), "--port", "COM5:", "--interval", "50"});
  for (int i = 0; i < 200 && !std::filesystem::exists(ports.folder() + "/COM5"); ++i)
    std::this_thread::sleep_for(20ms);
  const std::vector<std::string> reader_args{BinPath("tavik-decode"), "--port",
                                             "COM5:", "--timeout", "50"};
  BackgroundProgram killed(reader_args);
  for (int i = 0; i < 500 && killed.OutputSoFar().find('\n', 60) == std::string::npos; ++i)
    std::this_thread::sleep_for(20ms);
  ASSERT_NE(killed.OutputSoFar().find('\n', 60), std::string::npos) << "the first reader reads";
  killed.Finish(SIGKILL, 5000);

  // The simulator notices within a burst or two; until then the port may still say busy.
  std::vector<std::string> once = reader_args;
  once.insert(once.end(), {"--count", "1"});
  ProgramResult second;
  for (int attempt = 0; attempt < 40; ++attempt) {
    second = RunProgram(once);
    if (second.exit_status == 0) break;
    std::this_thread::sleep_for(250ms);
  }
  EXPECT_EQ(second.exit_status, 0) << second.err;
  EXPECT_NE(second.out.find('\n', 60), std::string::npos) << "a fix after the header";
  sim.Finish(SIGTERM, 5000);
}

}  // namespace
