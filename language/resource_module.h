// The module the user-interface resources come from: a language library beside the
// program, or the program's own tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/path_limit.h"
#include "res/resource_tables.h"

struct ResourceModule {
  void* library;  // the loaded language library; null for the program's own tables
  const ResourceTables* tables;
};

// The program's own module.
ResourceModule ProgramResourceModule();

// The program file's full path (from /proc/self/exe), or "" when it cannot be read.
std::string ProgramFilePath();

// The path cut at the last ".exe" (case-sensitive); a path without one stays whole.
std::string CutAtLastExe(const std::string& path);

// "<cut path><language as four upper-case hex digits>.dll", at most 259 characters.
std::string LanguageLibraryName(const std::string& cut_path, uint16_t language);

// Tries the user's language, then the system's (the same name twice when they agree),
// beside `program_path`; the first library that loads and carries resource tables
// wins. Without one, or with an empty path, the program's own module. Every name
// tried is appended to `tried` when given.
ResourceModule ChooseResourceModule(const std::string& program_path, uint16_t user_language,
                                    uint16_t system_language,
                                    std::vector<std::string>* tried = nullptr);

// Unloads a language library; the program's own module stays.
void ReleaseResourceModule(ResourceModule* module);

// Copies string `id` into `buffer` with at most capacity - 1 characters and a
// terminator, embedded NULs included. Returns the characters copied; 0 when the
// string is missing or empty (errno ENODATA) or the buffer is unusable.
int LoadModuleString(const ResourceModule& module, uint32_t id, char16_t* buffer, int capacity);

// LoadModuleString from `module`, or from the program's own module when `module` lacks
// the string (a language module older than the program).
int LoadModuleStringOrOwn(const ResourceModule& module, uint32_t id, char16_t* buffer,
                          int capacity);
