// The configuration dialog on the real settings enumerator and real pseudo-terminals.
#include "app/config_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include "app/enum_item_list.h"
#include "app/template_builder.h"
#include "app/window_messages.h"
#include "tests/app/app_fixture.h"
#include "tests/app/qt_test_support.h"

namespace {

constexpr int kLists[SETTING_COUNT] = {407, 408, 409, 410, 411};

class ConfigDialogTest : public AppWindowTest {
 protected:
  std::unique_ptr<ConfigDialog> Open() {
    auto dialog = std::make_unique<ConfigDialog>(*FindDialog(app_.module.tables, IDD_CONFIG), &app_,
                                                 &app_.config, window_.get());
    dialog->show();
    return dialog;
  }
  static QComboBox* List(ConfigDialog* dialog, int id) {
    return FindControlAs<QComboBox>(dialog, id);
  }
  static QStringList Entries(ConfigDialog* dialog, int id) {
    QStringList entries;
    QComboBox* list = List(dialog, id);
    for (int i = 0; i < list->count(); ++i)
      entries << list->itemText(i);
    return entries;
  }
  static bool Ready(ConfigDialog* dialog) {
    return FindControlAs<QPushButton>(dialog, IDOK)->isEnabled();
  }
  void SetSelections(std::initializer_list<int16_t> selections) {
    int setting = 0;
    for (const int16_t selection : selections)
      app_.config.selection[setting++] = selection;
  }
  // Runs the dialog modally, as the Configure command does. A dialog still open after
  // a long while is cancelled, so a failing case ends instead of hanging.
  static int Exec(ConfigDialog* dialog) {
    dialog->hide();  // shown again as a modal one
    QTimer::singleShot(kGiveUpMs, dialog, [dialog] { dialog->reject(); });
    return dialog->exec();
  }
  // The same with `act` done inside the dialog's own loop.
  static int RunModal(ConfigDialog* dialog, std::function<void(ConfigDialog*)> act) {
    WhenModalShows([dialog, act](QWidget*) { act(dialog); });
    return Exec(dialog);
  }
  static constexpr int kGiveUpMs = 20000;
  // Delivers a command at once, as a button sends it.
  static void SendCommand(ConfigDialog* dialog, uint32_t id) {
    WindowMessageEvent command(kCommandEvent, id, 0);
    QCoreApplication::sendEvent(dialog, &command);
  }
};

TEST_F(ConfigDialogTest, ListsTheSettingsInReverseAndOnlyThePortsThatOpen) {
  auto com1 = AddReceiver(1);
  auto com3 = AddReceiver(3);
  auto com7 = AddReceiver(7);
  auto dialog = Open();
  for (const int id : kLists)
    EXPECT_FALSE(List(dialog.get(), id)->isEnabled()) << id;
  EXPECT_FALSE(Ready(dialog.get()));
  ASSERT_TRUE(WaitUntil([&] { return Ready(dialog.get()); }));
  EXPECT_EQ(Entries(dialog.get(), 407), (QStringList{"COM7:", "COM3:", "COM1:"}));
  EXPECT_EQ(Entries(dialog.get(), 408),
            (QStringList{"110", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400",
                         "57600", "115200", "128000", "256000"}));
  EXPECT_EQ(Entries(dialog.get(), 409), (QStringList{"5", "6", "7", "8"}));
  EXPECT_EQ(Entries(dialog.get(), 410), (QStringList{"O", "N", "E"}));
  EXPECT_EQ(Entries(dialog.get(), 411), (QStringList{"2", "1"}));
  for (const int id : kLists)
    EXPECT_TRUE(List(dialog.get(), id)->isEnabled()) << id;
  EXPECT_EQ(app_.enum_items.head, nullptr);    // handed over and freed
  EXPECT_EQ(app_.enumerator.thread, nullptr);  // the enumerator has been stopped
}

TEST_F(ConfigDialogTest, ADefaultedRecordShowsItsOwnSettingsAndOkStoresThem) {
  auto com1 = AddReceiver(1);
  auto com3 = AddReceiver(3);
  auto dialog = Open();
  const int result = RunModal(dialog.get(), [this](ConfigDialog* shown) {
    WaitUntil([&] { return Ready(shown); });
    FindControlAs<QPushButton>(shown, IDOK)->click();
  });
  EXPECT_EQ(result, 1);
  const char16_t* expected[SETTING_COUNT] = {u"COM1:", u"9600", u"8", u"N", u"1"};
  const int16_t positions[SETTING_COUNT] = {1, 6, 3, 1, 1};
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    EXPECT_EQ(std::u16string(app_.config.text[setting]), expected[setting]) << setting;
    EXPECT_EQ(app_.config.selection[setting], positions[setting]) << setting;
  }
}

TEST_F(ConfigDialogTest, AStoredPortIsFoundByItsTextAfterAnotherAppearedBeforeIt) {
  auto com1 = AddReceiver(1);
  auto com3 = AddReceiver(3);
  auto com7 = AddReceiver(7);  // listed first since the last OK
  SetConfigText(SETTING_PORT, u"COM3:");
  SetSelections({0, 6, 3, 1, 1});  // COM3: was first then
  auto dialog = Open();
  ASSERT_TRUE(WaitUntil([&] { return Ready(dialog.get()); }));
  EXPECT_EQ(List(dialog.get(), 407)->currentText(), "COM3:");
}

TEST_F(ConfigDialogTest, TextsNoEntryHasFallBackToTheStoredPositions) {
  auto com1 = AddReceiver(1);
  auto com3 = AddReceiver(3);
  for (int setting = 0; setting < SETTING_COUNT; ++setting)
    SetConfigText(setting, u"");
  SetSelections({1, 6, 3, 1, 1});  // COM1: 9600 8 N 1
  auto dialog = Open();
  ASSERT_TRUE(WaitUntil([&] { return Ready(dialog.get()); }));
  QStringList shown, names;
  for (const int id : kLists) {
    shown << List(dialog.get(), id)->currentText();
    names << List(dialog.get(), id)->accessibleName();
  }
  EXPECT_EQ(shown, (QStringList{"COM1:", "9600", "8", "N", "1"}));
  EXPECT_EQ(names, (QStringList{"Port", "Baud rate", "Data bits", "Parity", "Stop bits"}));
}

TEST_F(ConfigDialogTest, NegativeAndTooLargeSelectionsSelectNothing) {
  auto com1 = AddReceiver(1);
  for (int setting = 0; setting < SETTING_COUNT; ++setting)
    SetConfigText(setting, u"");
  SetSelections({1, -1, 3, 7, 0});  // one port only: position 1 is past its end
  auto dialog = Open();
  const int result = RunModal(dialog.get(), [this](ConfigDialog* shown) {
    WaitUntil([&] { return Ready(shown); });
    EXPECT_EQ(List(shown, 407)->currentIndex(), -1);
    EXPECT_EQ(List(shown, 408)->currentIndex(), -1);
    EXPECT_EQ(List(shown, 410)->currentIndex(), -1);
    List(shown, 410)->setCurrentIndex(2);  // the user picks "E" in one of them
    FindControlAs<QPushButton>(shown, IDOK)->click();
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(std::u16string(app_.config.text[SETTING_PORT]), u"");
  EXPECT_EQ(app_.config.selection[SETTING_PORT], -1);
  EXPECT_EQ(std::u16string(app_.config.text[SETTING_BAUD_RATE]), u"");
  EXPECT_EQ(app_.config.selection[SETTING_BAUD_RATE], -1);
  EXPECT_EQ(std::u16string(app_.config.text[SETTING_DATA_BITS]), u"8");
  EXPECT_EQ(std::u16string(app_.config.text[SETTING_PARITY]), u"E");
  EXPECT_EQ(app_.config.selection[SETTING_PARITY], 2);
  EXPECT_EQ(std::u16string(app_.config.text[SETTING_STOP_BITS]), u"2");
}

TEST_F(ConfigDialogTest, CancelAfterChangesLeavesTheRecordAlone) {
  auto com1 = AddReceiver(1);
  const PortConfig before = app_.config;
  auto dialog = Open();
  const int result = RunModal(dialog.get(), [this](ConfigDialog* shown) {
    WaitUntil([&] { return Ready(shown); });
    List(shown, 408)->setCurrentIndex(3);
    FindControlAs<QPushButton>(shown, IDCANCEL)->click();
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(std::memcmp(&before, &app_.config, sizeof before), 0);
}

TEST_F(ConfigDialogTest, CancelWhileFillingStopsTheEnumeratorAndFreesEverything) {
  std::vector<std::unique_ptr<FakeReceiver>> receivers;  // ten ports keep it probing
  for (int n = 0; n < 10; ++n)
    receivers.push_back(AddReceiver(n));
  const PortConfig before = app_.config;
  auto dialog = Open();
  SendCommand(dialog.get(), IDCANCEL);  // before the lists have been filled
  EXPECT_EQ(dialog->result(), 0);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(app_.enum_items.head, nullptr);
  EXPECT_EQ(app_.enumerator.thread, nullptr);
  EXPECT_EQ(std::memcmp(&before, &app_.config, sizeof before), 0);
}

TEST_F(ConfigDialogTest, OkWhileFillingStoresEmptyTextsAndSelectsNothing) {
  auto com1 = AddReceiver(1);
  auto dialog = Open();
  SendCommand(dialog.get(), IDOK);  // as an IDOK that arrives although OK is greyed
  EXPECT_EQ(dialog->result(), 1);
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    EXPECT_EQ(std::u16string(app_.config.text[setting]), u"") << setting;
    EXPECT_EQ(app_.config.selection[setting], -1) << setting;
  }
  EXPECT_EQ(app_.enumerator.thread, nullptr);
  dialog.reset();
  // The next opening starts afresh, with the leftovers of the last one freed.
  auto again = Open();
  ASSERT_TRUE(WaitUntil([&] { return Ready(again.get()); }));
  EXPECT_EQ(Entries(again.get(), 407), QStringList{"COM1:"});
  EXPECT_EQ(Entries(again.get(), 409), (QStringList{"5", "6", "7", "8"}));
}

TEST_F(ConfigDialogTest, WithNoPortTheOtherListsStillFill) {
  auto dialog = Open();
  ASSERT_TRUE(WaitUntil([&] { return Ready(dialog.get()); }));
  EXPECT_TRUE(Entries(dialog.get(), 407).isEmpty());
  EXPECT_EQ(Entries(dialog.get(), 411), (QStringList{"2", "1"}));
  EXPECT_TRUE(FindControlAs<QPushButton>(dialog.get(), IDOK)->isEnabled());
}

TEST_F(ConfigDialogTest, TheLinksOwnPortIsNotListedWhileOpen) {
  auto com1 = AddReceiver(1);
  auto com2 = AddReceiver(2);
  Command(IDM_START);  // the defaulted record names COM1:
  ASSERT_EQ(app_.menu_state & 0x02, 0x02);
  SetSelections({1, 6, 3, 1, 1});  // position 1 was COM1: while both were free
  auto dialog = Open();
  ASSERT_TRUE(WaitUntil([&] { return Ready(dialog.get()); }));
  EXPECT_EQ(Entries(dialog.get(), 407), QStringList{"COM2:"});
  EXPECT_EQ(List(dialog.get(), 407)->currentIndex(), -1);
  Command(IDM_STOP);
}

TEST_F(ConfigDialogTest, TheConfigureCommandRunsTheDialogModally) {
  auto com4 = AddReceiver(4);
  WhenModalShows([](QWidget* shown) {
    WaitUntil([shown] { return FindControlAs<QPushButton>(shown, IDOK)->isEnabled(); });
    FindControlAs<QPushButton>(shown, IDOK)->click();
  });
  Command(IDM_CONFIGURE);
  EXPECT_EQ(std::u16string(app_.config.text[SETTING_PORT]), u"COM4:");
  EXPECT_EQ(app_.menu_state, -19);  // Configure changes no menu bit
}

TEST(EnumItems, CollectInFrontAndPostTheDoneMessageToTheWindow) {
  EnumItemList list{nullptr, nullptr};
  OnEnumItem("9600", KIND_BAUD_RATE, &list);
  OnEnumItem("COM1:", KIND_PORT, &list);
  OnEnumItem(nullptr, KIND_PORT, &list);  // no text: dropped
  OnEnumItem("x", 0, &list);              // unknown kinds: ignored
  OnEnumItem("x", 7, &list);
  OnEnumItem("9600", KIND_BAUD_RATE, nullptr);
  ASSERT_NE(list.head, nullptr);
  EXPECT_EQ(std::u16string(list.head->text), u"COM1:");
  EXPECT_EQ(list.head->kind, KIND_PORT);
  ASSERT_NE(list.head->next, nullptr);
  EXPECT_EQ(std::u16string(list.head->next->text), u"9600");
  EXPECT_EQ(list.head->next->next, nullptr);
  FreeEnumItems(list.head);
  FreeEnumItems(nullptr);
}

}  // namespace
