// tavik-decode as a user runs it: files, standard input, options and bad input.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr char kHeader[] = "time,latitude,longitude,altitude,northing_km,easting_km";

ProgramResult Decode(const std::vector<std::string>& args, const std::string& input = "") {
  std::vector<std::string> argv{BinPath("tavik-decode")};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv, input);
}

std::vector<std::string> Rows(const std::string& out) {
  std::vector<std::string> rows;
  std::istringstream in(out);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, kHeader);
  while (std::getline(in, line))
    rows.push_back(line);
  return rows;
}

std::vector<double> Values(const std::string& row) {
  std::vector<double> values;
  std::istringstream in(row);
  for (std::string cell; std::getline(in, cell, ',');)
    values.push_back(strtod(cell.c_str(), nullptr));
  return values;
}

TEST(TavikDecode, ReproducesTheDocumentedSentences) {
  const std::string log =
      "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
      "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
      "$GPGGA,235959.00,3351.000,S,07018.000,W,1,05,1.5,-12.5,M,,M,,*00\r\n"
      "$GPGGA,123519,,,,,0,00,,,M,,M,,*66\r\n"
      "$GPGGA,123519,4807.038,N,\r\n";
  const ProgramResult result = Decode({"--all"}, log);
  ASSERT_EQ(result.exit_status, 0) << result.err;
  const auto rows = Rows(result.out);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0],
            "123519.000000000,48.117300000,11.516666667,545.400000000,5332.401245471,"
            "687.299593026");
  EXPECT_EQ(rows[1], "rejected");
  const auto south = Values(rows[2]);
  EXPECT_NEAR(south[4], -3746.285, 5e-4);
  EXPECT_NEAR(south[5], 379.733, 5e-4);
  EXPECT_EQ(rows[3], "rejected");
  const auto short_sentence = Values(rows[4]);
  EXPECT_NEAR(short_sentence[4], 5333.691, 5e-4);
  EXPECT_NEAR(short_sentence[5], 276.732, 5e-4);

  EXPECT_EQ(Rows(Decode({}, log).out).size(), 3u) << "without --all only fixes are rows";
}

TEST(TavikDecode, EllipsoidOption) {
  const std::string line = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\n";
  const auto hayford = Values(Rows(Decode({"--ellipsoid", "5"}, line).out).at(0));
  EXPECT_NEAR(hayford[4], 5332.505601, 5e-6);
  EXPECT_NEAR(hayford[5], 687.308439, 5e-6);
  for (const char* bad : {"11", "-1", "x", ""}) {
    const ProgramResult result = Decode({"--ellipsoid", bad}, line);
    EXPECT_EQ(result.exit_status, 2) << bad;
    EXPECT_NE(result.err.find("ellipsoid"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "") << "nothing decoded after a usage error";
  }
}

TEST(TavikDecode, UsageAndUnknownOptions) {
  const ProgramResult help = Decode({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("Usage: tavik-decode"), std::string::npos);
  const ProgramResult unknown = Decode({"--frobnicate"});
  EXPECT_EQ(unknown.exit_status, 2);
  EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos);
  EXPECT_EQ(std::count(unknown.err.begin(), unknown.err.end(), '\n'), 1);
}

TEST(TavikDecode, MissingFilesAreNamedAndTheOthersStillDecoded) {
  TempDir dir;
  const std::string good = dir.File("good.log");
  ASSERT_TRUE(WriteWholeFile(good, "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,\n"));
  const ProgramResult result = Decode({dir.File("absent.log"), good});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.err.find("absent.log"), std::string::npos);
  EXPECT_EQ(Rows(result.out).size(), 1u);

  const ProgramResult directory = Decode({dir.path()});
  EXPECT_EQ(directory.exit_status, 2);
  EXPECT_NE(directory.err.find(dir.path()), std::string::npos);
}

TEST(TavikDecode, FilesAreReadInOrderAndEachEndsItsOwnLines) {
  TempDir dir;
  ASSERT_TRUE(WriteWholeFile(dir.File("a"),
                             "$GPGGA,000001,4807.038,N,01131.000,E,1,08,0.9,1,\n"
                             "$GPGGA,000002,4807.038,N,"));
  ASSERT_TRUE(WriteWholeFile(dir.File("b"), "$GPGGA,000003,4807.038,N,\n"));
  const auto rows = Rows(Decode({dir.File("a"), dir.File("b")}).out);
  ASSERT_EQ(rows.size(), 2u) << "a last line without its line end is incomplete";
  EXPECT_EQ(Values(rows[0])[0], 1.0);
  EXPECT_EQ(Values(rows[1])[0], 3.0);
}

TEST(TavikDecode, BytesOfAnyValueNeverCrashIt) {
  std::string bytes;
  for (int round = 0; round < 64; ++round) {
    for (int c = 0; c < 256; ++c)
      bytes += static_cast<char>((c * 7 + round) & 0xff);
    bytes += "$GPGGA,1,4807.038,N,\0,\n";
  }
  bytes += std::string(5000, '\0') + "\n" + std::string(3000, 'x') + "\r";
  const ProgramResult result = Decode({"--all"}, bytes);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.signal, 0);
}

// SOURCES.md counts, for every capture, the GGA sentences the decoder accepts.
std::map<std::string, int> AcceptedCounts() {
  std::map<std::string, int> counts;
  std::string table;
  if (!ReadWholeFile(SharedDataPath("nmea/SOURCES.md"), &table)) return counts;
  const std::regex row(
      R"(\| `test/daemon/([^`]+)` \|[^|]*\|[^|]*\|[^|]*\|[^|]*\|[^|]*\|[^|]*\| (\d+) \|)");
  for (std::sregex_iterator it(table.begin(), table.end(), row), end; it != end; ++it) {
    counts[(*it)[1]] = std::stoi((*it)[2]);
  }
  return counts;
}

TEST(TavikDecode, RealCapturesGiveTheDocumentedNumberOfFixes) {
  SKIP_WITHOUT_SHARED_DATA();
  const auto expected = AcceptedCounts();
  ASSERT_EQ(expected.size(), SharedCaptures().size());
  for (const std::string& name : SharedCaptures()) {
    const ProgramResult result = Decode({SharedDataPath("nmea/" + name)});
    EXPECT_EQ(result.exit_status, 0) << name << ": " << result.err;
    EXPECT_EQ(static_cast<int>(Rows(result.out).size()), expected.at(name)) << name;
  }
}

}  // namespace
