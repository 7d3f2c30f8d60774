#include "app/resource_module.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "app/app_strings.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

std::u16string Text(const char16_t* text) {
  return text;
}

// Places a built library under `name` in a scratch folder, as it would lie beside a
// program there.
void PlaceLibrary(const std::string& library, const std::string& name) {
  std::filesystem::copy_file(BinPath(library), name);
}

TEST(ProgramPath, CutsAtTheLastLowerCaseExe) {
  EXPECT_EQ(CutAtLastExe("/opt/tavik.exe"), "/opt/tavik");
  EXPECT_EQ(CutAtLastExe("/a.exe/tavik.exe.exe"), "/a.exe/tavik.exe");
  EXPECT_EQ(CutAtLastExe("/opt/tavik.EXE"), "/opt/tavik.EXE");
  EXPECT_EQ(CutAtLastExe("/usr/bin/tavik"), "/usr/bin/tavik");
  EXPECT_EQ(LanguageLibraryName("/opt/tavik", 0x0407), "/opt/tavik0407.dll");
  EXPECT_EQ(LanguageLibraryName("/opt/tavik.EXE", 0x0c0a), "/opt/tavik.EXE0C0A.dll");
}

TEST(ProgramPath, IsTheRunningProgram) {
  const std::string path = ProgramFilePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(std::filesystem::path(path).filename(), "app_resource_test");
}

TEST(ChooseResourceModule, LoadsTheUsersLanguageFromBesideTheProgram) {
  TempDir dir;
  PlaceLibrary("tavik0407.dll", dir.File("tavik0407.dll"));
  std::vector<std::string> tried;
  ResourceModule module = ChooseResourceModule(dir.File("tavik.exe"), 0x0407, 0x0409, &tried);
  ASSERT_NE(module.library, nullptr);
  EXPECT_EQ(module.tables->language, 0x0407);
  EXPECT_EQ(tried, std::vector<std::string>{dir.File("tavik0407.dll")});
  char16_t text[kMessageChars];
  ASSERT_GT(LoadModuleString(module, IDS_REALLY_QUIT, text, kMessageChars), 0);
  EXPECT_EQ(Text(text), u"Wirklich beenden?");
  ReleaseResourceModule(&module);
  EXPECT_EQ(module.library, nullptr);
  EXPECT_EQ(module.tables, ProgramResourceModule().tables);
}

TEST(ChooseResourceModule, FallsBackToTheSystemLanguageThenToItsOwn) {
  TempDir dir;
  PlaceLibrary("tavik0407.dll", dir.File("tavik0407.dll"));
  std::vector<std::string> tried;
  ResourceModule module = ChooseResourceModule(dir.File("tavik"), 0x040C, 0x0407, &tried);
  EXPECT_NE(module.library, nullptr);
  EXPECT_EQ(tried.size(), 2u);
  ReleaseResourceModule(&module);

  tried.clear();
  module = ChooseResourceModule(dir.File("tavik"), 0x040C, 0x0809, &tried);
  EXPECT_EQ(module.library, nullptr);
  EXPECT_EQ(module.tables, ProgramResourceModule().tables);
  EXPECT_EQ(tried,
            (std::vector<std::string>{dir.File("tavik040C.dll"), dir.File("tavik0809.dll")}));
}

TEST(ChooseResourceModule, TriesTheSameNameTwiceForOneLanguage) {
  TempDir dir;
  std::vector<std::string> tried;
  ResourceModule module = ChooseResourceModule(dir.File("tavik"), 0x0409, 0x0409, &tried);
  EXPECT_EQ(module.library, nullptr);
  EXPECT_EQ(tried, (std::vector<std::string>(2, dir.File("tavik0409.dll"))));
}

TEST(ChooseResourceModule, KeepsAnUpperCaseExeInTheName) {
  TempDir dir;
  PlaceLibrary("tavik0407.dll", dir.File("tavik.EXE0407.dll"));
  PlaceLibrary("tavik0407.dll", dir.File("tavik0407.dll"));  // must not be the one chosen
  std::vector<std::string> tried;
  ResourceModule module = ChooseResourceModule(dir.File("tavik.EXE"), 0x0407, 0x0407, &tried);
  EXPECT_NE(module.library, nullptr);
  EXPECT_EQ(tried, std::vector<std::string>{dir.File("tavik.EXE0407.dll")});
  ReleaseResourceModule(&module);
}

TEST(ChooseResourceModule, PassesOverALibraryWithoutResourceTables) {
  TempDir dir;
  PlaceLibrary("test_no_tables.dll", dir.File("tavik0407.dll"));
  ResourceModule module = ChooseResourceModule(dir.File("tavik"), 0x0407, 0x0407);
  EXPECT_EQ(module.library, nullptr);
  EXPECT_EQ(module.tables, ProgramResourceModule().tables);
}

TEST(LoadModuleString, CutsToTheBufferAndTerminates) {
  TempDir dir;
  PlaceLibrary("test_long_strings.dll", dir.File("tavik0407.dll"));
  ResourceModule module = ChooseResourceModule(dir.File("tavik"), 0x0407, 0x0407);
  ASSERT_NE(module.library, nullptr);
  char16_t buffer[kFormatChars + 4];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(LoadModuleString(module, IDS_TIME_FORMAT, buffer, kFormatChars), 15);
  EXPECT_EQ(Text(buffer), u"%010.3lf abcdef");
  EXPECT_EQ(buffer[kFormatChars], u'#');  // nothing written past the buffer

  errno = 0;
  EXPECT_EQ(LoadModuleString(module, IDS_CANT_OPEN_PORT, buffer, kFormatChars), 0);
  EXPECT_EQ(errno, ENODATA);
  EXPECT_EQ(buffer[0], u'\0');
  ReleaseResourceModule(&module);
}

TEST(LoadAppStrings, LoadsEveryStringWithItsEmbeddedNuls) {
  AppStrings strings;
  ASSERT_EQ(LoadAppStrings(ProgramResourceModule(), &strings), 1);
  EXPECT_EQ(Text(strings.really_quit), u"Really quit?");
  EXPECT_EQ(Text(strings.cant_close_port), u"Can't close GPS port");
  EXPECT_EQ(Text(strings.time_format), u"%010.3lf");
  EXPECT_EQ(Text(strings.formats.northing), u"%8.3lfkm");
  EXPECT_EQ(std::u16string(strings.save_filter, strings.save_filter_length + 2),
            std::u16string(u"GPX files\0*.gpx\0All files\0*.*\0\0", 31));
}

TEST(LoadAppStrings, StopsAtTheFirstMissingStringInLoadingOrder) {
  TempDir dir;
  PlaceLibrary("test_long_strings.dll", dir.File("tavik0407.dll"));
  ResourceModule module = ChooseResourceModule(dir.File("tavik"), 0x0407, 0x0407);
  ASSERT_NE(module.library, nullptr);
  AppStrings strings;
  errno = 0;
  EXPECT_EQ(LoadAppStrings(module, &strings), 0);
  EXPECT_EQ(errno, ENODATA);
  EXPECT_EQ(Text(strings.really_quit), u"long module");  // 201 loads first
  EXPECT_EQ(Text(strings.time_format), u"");             // 203 failed before 204
  ReleaseResourceModule(&module);
}

}  // namespace
