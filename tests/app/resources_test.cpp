// Choosing the language module, loading its strings, and what every module must carry.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "app/app_strings.h"
#include "app/language_id.h"
#include "app/resource_module.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(LanguageId, FromTheLocaleNamesAndFiles) {
  // clang-format off
  const std::pair<const char*, uint16_t> names[] = {
      {"de_DE.UTF-8", 0x0407}, {"de_DE@euro", 0x0407}, {"en_US.UTF-8", 0x0409}, {"en_GB.UTF-8", 0x0809},
      {"fr_FR", 0x040C},       {"de_AT.UTF-8", 0x0C07}, {"de", 0x0407},         {"fr_XX", 0x040C},
      {"C", 0x0409},           {"POSIX", 0x0409},       {"C.UTF-8", 0x0409},    {"", 0x0409},
      {"xx_YY", kLanguageUnknown}};
  // clang-format on
  for (const auto& [name, id] : names)
    EXPECT_EQ(LanguageIdFromLocaleName(name), id) << name;
  {
    ScopedEnv all("LC_ALL", "fr_FR"), messages("LC_MESSAGES", "de_DE"), lang("LANG", "en_GB");
    EXPECT_EQ(UserDefaultLanguageId(), 0x040C);
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(UserDefaultLanguageId(), 0x0407);
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(UserDefaultLanguageId(), 0x0809);
  }
  TempDir dir;
  ASSERT_TRUE(WriteWholeFile(dir.File("a"), "# by update-locale\nLANG=\"de_DE.UTF-8\"\n"));
  ASSERT_TRUE(WriteWholeFile(dir.File("b"), "LANG=en_US.UTF-8\nLC_MESSAGES=fr_FR\n"));
  EXPECT_EQ(SystemDefaultLanguageId(dir.File("a").c_str()), 0x0407);
  EXPECT_EQ(SystemDefaultLanguageId(dir.File("b").c_str()), 0x040C);
  EXPECT_EQ(SystemDefaultLanguageId(dir.File("absent").c_str()), 0x0409);
}

// Each language carries every string, each read-out format exactly one conversion, of
// a double, and no other string any.
void ExpectEveryStringAndItsFormat(const ResourceTables* tables) {
  for (uint32_t id = IDS_REALLY_QUIT; id <= IDS_SAVE_FILTER; ++id) {
    const StringResource* found = FindString(tables, id);
    ASSERT_NE(found, nullptr) << id;
    const std::u16string text(found->text, found->length);
    const size_t percent = text.find(u'%');
    if (id >= IDS_TIME_FORMAT && id <= IDS_NORTHING_FORMAT) {
      EXPECT_EQ(percent, text.rfind(u'%')) << id;
      EXPECT_EQ(text.find_first_not_of(u"0123456789.-+ #", percent + 1), text.find(u"lf")) << id;
    } else {
      EXPECT_EQ(percent, std::u16string::npos) << id;
    }
  }
}

// Which library is loaded from beside the program, and which names were tried; each
// language loaded carries every string.
TEST(ChooseResourceModule, TriesTheUsersThenTheSystemsLanguageThenItsOwn) {
  EXPECT_EQ(std::filesystem::path(ProgramFilePath()).filename(), "app_window_test");
  struct Case {
    const char *library, *placed_as, *program;
    uint16_t user, system;
    std::vector<std::string> tried;
    uint16_t loaded;  // the language of the tables in use
  } cases[] = {
      // clang-format off
      {"tavik0407.dll", "tavik0407.dll", "tavik.exe", 0x0407, 0x0409, {"tavik0407.dll"}, 0x0407},
      {"tavik0407.dll", "tavik0407.dll", "tavik", 0x040C, 0x0407, {"tavik040C.dll", "tavik0407.dll"}, 0x0407},
      {"tavik0407.dll", "tavik0407.dll", "tavik", 0x040C, 0x0809, {"tavik040C.dll", "tavik0809.dll"}, 0x0409},
      {"tavik0407.dll", "tavik0407.dll", "tavik", 0x0409, 0x0409, {"tavik0409.dll", "tavik0409.dll"}, 0x0409},
      {"tavik0407.dll", "tavik.EXE0407.dll", "tavik.EXE", 0x0407, 0x0407, {"tavik.EXE0407.dll"}, 0x0407},
      {"tavik0407.dll", "tavik0407.dll", "tavik.EXE", 0x0407, 0x0407, {"tavik.EXE0407.dll", "tavik.EXE0407.dll"}, 0x0409},
      {"tavik0407.dll", "tavik.exe0407.dll", "tavik.exe.exe", 0x0407, 0x0407, {"tavik.exe0407.dll"}, 0x0407},
      {"test_no_tables.dll", "tavik0407.dll", "tavik", 0x0407, 0x0407, {"tavik0407.dll", "tavik0407.dll"}, 0x0409},
      // clang-format on
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::filesystem::copy_file(BinPath(c.library), dir.File(c.placed_as));
    std::vector<std::string> tried, expected;
    for (const std::string& name : c.tried)
      expected.push_back(dir.File(name));
    ResourceModule module = ChooseResourceModule(dir.File(c.program), c.user, c.system, &tried);
    EXPECT_EQ(tried, expected) << c.program;
    EXPECT_EQ(module.tables->language, c.loaded) << c.program;
    EXPECT_EQ(module.library != nullptr, c.loaded != 0x0409) << c.program;
    ExpectEveryStringAndItsFormat(module.tables);
    ReleaseResourceModule(&module);
    EXPECT_EQ(module.tables, ProgramResourceModule().tables);
  }
}

TEST(LoadModuleString, CutsToTheBufferAndStopsAtTheFirstMissingString) {
  TempDir dir;
  std::filesystem::copy_file(BinPath("test_long_strings.dll"), dir.File("tavik0407.dll"));
  ResourceModule module = ChooseResourceModule(dir.File("tavik"), 0x0407, 0x0407);
  ASSERT_NE(module.library, nullptr);
  char16_t buffer[kFormatChars + 4];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(LoadModuleString(module, IDS_TIME_FORMAT, buffer, kFormatChars), 15);
  EXPECT_EQ(std::u16string(buffer), u"%010.3lf abcdef");
  EXPECT_EQ(buffer[kFormatChars], u'#');  // nothing written past the buffer
  AppStrings strings;
  errno = 0;
  EXPECT_EQ(LoadAppStrings(module, &strings), 0);  // 202 is missing
  EXPECT_EQ(errno, ENODATA);
  EXPECT_EQ(std::u16string(strings.really_quit), u"long module");  // 201 loads first
  EXPECT_EQ(std::u16string(strings.time_format), u"");
  ReleaseResourceModule(&module);

  ASSERT_EQ(LoadAppStrings(ProgramResourceModule(), &strings), 1);
  EXPECT_EQ(std::u16string(strings.cant_close_port), u"Can't close GPS port");
}

}  // namespace
