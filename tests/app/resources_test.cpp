// Choosing the language module and loading its strings.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "app/app_strings.h"
#include "language/language_id.h"
#include "language/resource_module.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(LanguageId, FromTheLocaleNamesAndFiles) {
  const std::pair<const char*, uint16_t> names[] = {
      {"de_DE.UTF-8", 0x0407}, {"en_GB", 0x0809}, {"de", 0x0407}, {"C", 0x0409}, {"xx_YY", 0}};
  for (const auto& [name, id] : names)
    EXPECT_EQ(LanguageIdFromLocaleName(name), id) << name;
  ScopedEnv all("LC_ALL", ""), messages("LC_MESSAGES", "de_DE"), lang("LANG", "en_GB");
  EXPECT_EQ(UserDefaultLanguageId(), 0x0407);
  TempDir dir;
  ASSERT_TRUE(WriteWholeFile(dir.File("a"), "# by update-locale\nLANG=en_US\nLC_MESSAGES=fr_FR\n"));
  EXPECT_EQ(SystemDefaultLanguageId(dir.File("a").c_str()), 0x040C);
  EXPECT_EQ(SystemDefaultLanguageId(dir.File("absent").c_str()), 0x0409);
}

// Which library is loaded from beside the program, which names were tried, and what
// its strings give: a string is cut to its buffer, and loading stops at the first one
// missing (the long module has 201 and 204 only).
TEST(ChooseResourceModule, TriesTheUsersThenTheSystemsLanguageThenItsOwn) {
  EXPECT_EQ(std::filesystem::path(ProgramFilePath()).filename(), "app_window_test");
  const std::u16string english = u"Can't close GPS port",
                       german = u"GPS-Port l\u00e4sst sich nicht schlie\u00dfen";
  struct Case {
    const char *library, *placed_as, *program;
    uint16_t user, system;
    std::vector<std::string> tried;
    uint16_t loaded;                              // the language of the tables in use
    std::u16string time_format, cant_close_port;  // empty: loading the strings fails
  } cases[] = {
      // clang-format off
      {"tavik0407.dll", "tavik0407.dll", "tavik.exe", 0x0407, 0x0409, {"tavik0407.dll"}, 0x0407, u"%010.3lf", german},
      {"tavik0407.dll", "tavik0407.dll", "tavik", 0x040C, 0x0407, {"tavik040C.dll", "tavik0407.dll"}, 0x0407, u"%010.3lf", german},
      {"tavik0407.dll", "tavik0407.dll", "tavik", 0x040C, 0x0809, {"tavik040C.dll", "tavik0809.dll"}, 0x0409, u"%010.3lf", english},
      {"tavik0407.dll", "tavik0407.dll", "tavik.EXE", 0x0407, 0x0407, {"tavik.EXE0407.dll", "tavik.EXE0407.dll"}, 0x0409, u"%010.3lf", english},
      {"test_long_strings.dll", "tavik0407.dll", "tavik", 0x0407, 0x0407, {"tavik0407.dll"}, 0x0407, u"%010.3lf abcdef", u""},
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
    char16_t buffer[kFormatChars + 4];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(LoadModuleString(module, IDS_TIME_FORMAT, buffer, kFormatChars),
              int(c.time_format.size()));
    EXPECT_EQ(std::u16string(buffer), c.time_format);
    EXPECT_EQ(buffer[kFormatChars], u'#');  // nothing written past the buffer
    AppStrings strings;
    errno = 0;
    EXPECT_EQ(LoadAppStrings(module, &strings), c.cant_close_port.empty() ? 0 : 1);
    EXPECT_EQ(std::u16string(strings.cant_close_port), c.cant_close_port);
    EXPECT_EQ(errno, c.cant_close_port.empty() ? ENODATA : 0);
    ReleaseResourceModule(&module);
    EXPECT_EQ(module.tables, ProgramResourceModule().tables);
  }
}

}  // namespace
