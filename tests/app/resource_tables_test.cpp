#include <gtest/gtest.h>

#include <set>

#include "app/resource_module.h"
#include "res/resource_tables.h"
#include "tests/support/run_program.h"

namespace {

// The German module as the program would load it from beside itself.
class LanguageModules : public testing::Test {
 protected:
  void SetUp() override {
    german_ = ChooseResourceModule(BinPath("tavik"), 0x0407, 0x0407);
    ASSERT_NE(german_.library, nullptr) << "tavik0407.dll is built beside the program";
  }
  void TearDown() override { ReleaseResourceModule(&german_); }

  const ResourceTables* english_ = BuiltinResourceTables();
  ResourceModule german_{};
};

// Counts printf conversions; `floating` counts those of a double ("lf", "f", "e", "g").
void CountConversions(const StringResource& text, int* all, int* floating) {
  *all = *floating = 0;
  for (uint32_t i = 0; i < text.length; ++i) {
    if (text.text[i] != u'%') continue;
    if (i + 1 < text.length && text.text[i + 1] == u'%') {
      ++i;
      continue;
    }
    uint32_t j = i + 1;
    while (j < text.length && std::u16string_view(u"0123456789.-+ #l").find(text.text[j]) !=
                                  std::u16string_view::npos) {
      ++j;
    }
    ++*all;
    if (j < text.length &&
        std::u16string_view(u"fFeEgG").find(text.text[j]) != std::u16string_view::npos) {
      ++*floating;
    }
    i = j;
  }
}

TEST_F(LanguageModules, CarryEveryStringWithOneFloatingConversionPerFormat) {
  for (const ResourceTables* tables : {english_, german_.tables}) {
    for (uint32_t id = IDS_REALLY_QUIT; id <= IDS_SAVE_FILTER; ++id) {
      const StringResource* text = FindString(tables, id);
      ASSERT_NE(text, nullptr) << id;
      ASSERT_GT(text->length, 0u) << id;
      int all = 0, floating = 0;
      CountConversions(*text, &all, &floating);
      const bool is_format = id >= IDS_TIME_FORMAT && id <= IDS_NORTHING_FORMAT;
      EXPECT_EQ(all, is_format ? 1 : 0) << id;
      EXPECT_EQ(floating, is_format ? 1 : 0) << id;
      EXPECT_LT(text->length, is_format ? 16u : 128u) << id;
    }
  }
}

TEST_F(LanguageModules, FilterListsHoldTwoPairs) {
  for (const ResourceTables* tables : {english_, german_.tables}) {
    const StringResource* filter = FindString(tables, IDS_SAVE_FILTER);
    ASSERT_NE(filter, nullptr);
    const std::u16string text(filter->text, filter->length);
    EXPECT_EQ(std::count(text.begin(), text.end(), u'\0'), 3);
    EXPECT_NE(text.find(u"\0*.gpx\0", 0, 7), std::u16string::npos);
    EXPECT_TRUE(text.ends_with(std::u16string(u"\0*.*", 4)));
  }
}

TEST_F(LanguageModules, TranslateTheSameWindowsAndMenu) {
  for (const uint32_t id : {IDD_MAIN, IDD_CONFIG}) {
    const DialogTemplate* english = FindDialog(english_, id);
    const DialogTemplate* german = FindDialog(german_.tables, id);
    ASSERT_NE(english, nullptr);
    ASSERT_NE(german, nullptr);
    EXPECT_EQ(german->width, english->width);
    EXPECT_EQ(german->height, english->height);
    ASSERT_EQ(german->control_count, english->control_count);
    for (int32_t i = 0; i < english->control_count; ++i) {
      EXPECT_EQ(german->controls[i].id, english->controls[i].id);
      EXPECT_EQ(german->controls[i].control_class, english->controls[i].control_class);
      EXPECT_EQ(german->controls[i].style, english->controls[i].style);
    }
  }
  const MenuTemplate* english = FindMenu(english_, IDM_CONTEXT);
  const MenuTemplate* german = FindMenu(german_.tables, IDM_CONTEXT);
  ASSERT_NE(english, nullptr);
  ASSERT_NE(german, nullptr);
  ASSERT_EQ(german->item_count, english->item_count);
  std::set<char16_t> mnemonics;
  for (int32_t i = 0; i < english->item_count; ++i) {
    EXPECT_EQ(german->items[i].id, english->items[i].id);
    EXPECT_NE(std::u16string(german->items[i].text), std::u16string(english->items[i].text));
    const std::u16string text = german->items[i].text;
    const size_t amp = text.find(u'&');
    ASSERT_NE(amp, std::u16string::npos);
    EXPECT_TRUE(mnemonics.insert(static_cast<char16_t>(std::tolower(text[amp + 1]))).second)
        << "mnemonic used twice in the German menu";
  }
}

TEST(BuiltinTables, ReadOutsAndListsKeepTheirIds) {
  const DialogTemplate* main_window = FindDialog(BuiltinResourceTables(), IDD_MAIN);
  ASSERT_NE(main_window, nullptr);
  std::set<int32_t> ids;
  for (int32_t i = 0; i < main_window->control_count; ++i) {
    if (main_window->controls[i].id != IDC_STATIC) ids.insert(main_window->controls[i].id);
  }
  EXPECT_EQ(ids, (std::set<int32_t>{301, 302, 303, 304, 305, 306}));
  const MenuTemplate* menu = FindMenu(BuiltinResourceTables(), IDM_CONTEXT);
  ASSERT_NE(menu, nullptr);
  std::vector<uint32_t> order;
  for (int32_t i = 0; i < menu->item_count; ++i)
    order.push_back(menu->items[i].id);
  EXPECT_EQ(order, (std::vector<uint32_t>{603, 604, 605, 606, 607, 608, 610}));
  EXPECT_EQ(FindDialog(BuiltinResourceTables(), 999), nullptr);
  EXPECT_EQ(FindString(nullptr, IDS_REALLY_QUIT), nullptr);
}

}  // namespace
