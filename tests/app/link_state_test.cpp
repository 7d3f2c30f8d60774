// Read-outs that are not live look stale, and the window title says why.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPalette>
#include <functional>
#include <sstream>

#include "app/template_builder.h"
#include "tests/app/app_fixture.h"
#include "tests/app/qt_test_support.h"
#include "tests/support/shared_data.h"

namespace {

constexpr int kStaleWaitMs = 15000;

// The GGA lines of a capture whose receiver had no fix, ended by CR LF.
std::string GgaWithoutPosition() {
  std::string capture, lines, line;
  ReadWholeFile(SharedDataPath("nmea/st-teseo-liv4f.log"), &capture);
  std::istringstream in(capture);
  while (std::getline(in, line)) {
    if (line.find("GGA,") != std::string::npos) lines += line.substr(0, line.find('\r')) + "\r\n";
  }
  return lines;
}

// Waits until `done`, doing `act` first and then every half second meanwhile.
bool ActUntil(const std::function<void()>& act, const std::function<bool()>& done) {
  QElapsedTimer since;
  since.start();
  act();
  return WaitUntil(
      [&] {
        if (since.elapsed() >= 500) {
          act();
          since.restart();
        }
        return done();
      },
      kStaleWaitMs);
}

class LinkStateTest : public AppWindowTest {
 protected:
  bool Stale(int id) {
    auto* edit = FindControlAs<QLineEdit>(window_.get(), id);
    return edit->property("stale").toBool() &&
           edit->palette().color(QPalette::Active, QPalette::Text) ==
               edit->palette().color(QPalette::Disabled, QPalette::Text);
  }
  bool AllStale(bool stale) {
    for (int id = 301; id <= 306; ++id) {
      if (Stale(id) != stale) return false;
    }
    return true;
  }
  QString Title() const { return window_->windowTitle(); }
};

TEST_F(LinkStateTest, ReadOutsLookStaleAndTheTitleSaysWhy) {
  SKIP_WITHOUT_SHARED_DATA();
  const std::string no_position = GgaWithoutPosition();
  ASSERT_FALSE(no_position.empty());
  struct Case {
    const char* name;
    std::function<void(std::unique_ptr<FakeReceiver>*)> after_fix;  // called every 500 ms
    const char* title;
  } cases[] = {
      {"silent", [](std::unique_ptr<FakeReceiver>*) {},
       "GPS \u2013 no data from the receiver for "},
      {"unplugged", [](std::unique_ptr<FakeReceiver>* r) { r->reset(); },
       "GPS \u2013 no data from the receiver for "},
      {"no position", [&](std::unique_ptr<FakeReceiver>* r) { (*r)->Send(no_position); },
       "GPS \u2013 data without a position for "},
  };
  for (int i = 0; i < 3; ++i) {
    const Case& c = cases[i];
    auto receiver = AddReceiver(1);
    ASSERT_TRUE(receiver->ok());
    Command(IDM_START);
    receiver->Send(GgaLine(10 * i));
    ASSERT_TRUE(WaitUntil([this] { return AllStale(false) && !Readout(303).isEmpty(); })) << c.name;
    const QString latitude = Readout(303);
    EXPECT_EQ(Title(), "GPS") << c.name;

    ASSERT_TRUE(ActUntil([&] { c.after_fix(&receiver); },
                         [&] { return Title().startsWith(QString::fromUtf8(c.title)); }))
        << c.name << ": " << Title().toStdString();
    EXPECT_TRUE(AllStale(true)) << c.name;
    EXPECT_EQ(Readout(303), latitude) << c.name << ": the last value stays";

    if (receiver == nullptr) receiver = AddReceiver(1);  // plugged in again
    ASSERT_TRUE(
        ActUntil([&] { receiver->Send(GgaLine(10 * i + 5)); }, [&] { return AllStale(false); }))
        << c.name;
    EXPECT_EQ(Title(), "GPS") << c.name;
    EXPECT_NE(Readout(303), latitude) << c.name;

    Command(IDM_STOP);
    EXPECT_TRUE(AllStale(true)) << c.name;
    EXPECT_EQ(Title(), "GPS \u2013 stopped, not live") << c.name;
    EXPECT_FALSE(Readout(303).isEmpty()) << c.name;
  }
}

}  // namespace
