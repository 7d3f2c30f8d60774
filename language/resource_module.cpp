#include "language/resource_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

ResourceModule ProgramResourceModule() {
  return {nullptr, BuiltinResourceTables()};
}

std::string ProgramFilePath() {
  char path[kMaxPathChars + 1];
  const ssize_t length = readlink("/proc/self/exe", path, kMaxPathChars);
  if (length <= 0) return {};
  return std::string(path, static_cast<size_t>(length));
}

std::string CutAtLastExe(const std::string& path) {
  const size_t at = path.rfind(".exe");
  return at == std::string::npos ? path : path.substr(0, at);
}

std::string LanguageLibraryName(const std::string& cut_path, uint16_t language) {
  char name[kMaxPathChars];
  std::snprintf(name, sizeof name, "%s%04X.dll", cut_path.c_str(), language);
  return name;
}

namespace {

// Loads a library that exports resource tables; a library without them is not a
// language module and is let go again.
bool LoadLanguageLibrary(const std::string& name, ResourceModule* module) {
  void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return false;
  const auto tables_of =
      reinterpret_cast<ResourceTablesFunction>(dlsym(library, kResourceTablesSymbol));
  const ResourceTables* tables = tables_of != nullptr ? tables_of() : nullptr;
  if (tables == nullptr) {
    dlclose(library);
    return false;
  }
  *module = {library, tables};
  return true;
}

}  // namespace

ResourceModule ChooseResourceModule(const std::string& program_path, uint16_t user_language,
                                    uint16_t system_language, std::vector<std::string>* tried) {
  ResourceModule module = ProgramResourceModule();
  if (program_path.empty()) return module;
  const std::string cut = CutAtLastExe(program_path);
  for (const uint16_t language : {user_language, system_language}) {
    const std::string name = LanguageLibraryName(cut, language);
    if (tried != nullptr) tried->push_back(name);
    if (LoadLanguageLibrary(name, &module)) return module;
  }
  return module;
}

void ReleaseResourceModule(ResourceModule* module) {
  if (module == nullptr) return;
  if (module->library != nullptr) dlclose(module->library);
  *module = ProgramResourceModule();
}

int LoadModuleString(const ResourceModule& module, uint32_t id, char16_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  buffer[0] = u'\0';
  const StringResource* resource = FindString(module.tables, id);
  if (resource == nullptr || resource->length == 0) {
    errno = ENODATA;
    return 0;
  }
  int count = static_cast<int>(resource->length);
  if (count > capacity - 1) count = capacity - 1;
  for (int i = 0; i < count; ++i)
    buffer[i] = resource->text[i];
  buffer[count] = u'\0';
  return count;
}

int LoadModuleStringOrOwn(const ResourceModule& module, uint32_t id, char16_t* buffer,
                          int capacity) {
  const int count = LoadModuleString(module, id, buffer, capacity);
  return count != 0 ? count : LoadModuleString(ProgramResourceModule(), id, buffer, capacity);
}
