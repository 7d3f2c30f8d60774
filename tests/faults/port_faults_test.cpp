// The simulated receiver's port after its reader was killed with SIGKILL.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"

namespace {

TEST(PortFaults, APortWhoseReaderWasKilledOpensAgain) {
  TempPortsFolder ports;
  BackgroundProgram sim({BinPath("tavik-sim"), "--port", "COM5:", "--interval", "50"});
  std::vector<std::string> reader{BinPath("tavik-decode"), "--port", "COM5:", "--timeout", "50"};
  const auto wait_for = [](const auto& done) {
    for (int i = 0; i < 500 && !done(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  };
  wait_for([&] { return std::filesystem::exists(ports.folder() + "/COM5"); });
  BackgroundProgram killed(reader);
  wait_for([&] { return killed.OutputSoFar().find('\n', 60) != std::string::npos; });
  ASSERT_NE(killed.OutputSoFar().find('\n', 60), std::string::npos) << "the first reader reads";
  killed.Finish(SIGKILL, 5000);

  // The simulator notices within a burst or two; until then the port may still say busy.
  reader.insert(reader.end(), {"--count", "1"});
  ProgramResult again;
  wait_for([&] { return (again = RunProgram(reader)).exit_status == 0; });
  EXPECT_EQ(again.exit_status, 0) << again.err;
  EXPECT_NE(again.out.find('\n', 60), std::string::npos) << "a fix after the header";
  sim.Finish(SIGTERM, 5000);
}

}  // namespace
