#include "res/resource_tables.h"

const StringResource* FindString(const ResourceTables* tables, uint32_t id) {
  if (tables == nullptr || tables->strings == nullptr) return nullptr;
  for (int32_t i = 0; i < tables->string_count; ++i) {
    if (tables->strings[i].id == id) return &tables->strings[i];
  }
  return nullptr;
}

const DialogTemplate* FindDialog(const ResourceTables* tables, uint32_t id) {
  if (tables == nullptr || tables->dialogs == nullptr) return nullptr;
  for (int32_t i = 0; i < tables->dialog_count; ++i) {
    if (tables->dialogs[i].id == id) return &tables->dialogs[i];
  }
  return nullptr;
}

const MenuTemplate* FindMenu(const ResourceTables* tables, uint32_t id) {
  if (tables == nullptr || tables->menus == nullptr) return nullptr;
  for (int32_t i = 0; i < tables->menu_count; ++i) {
    if (tables->menus[i].id == id) return &tables->menus[i];
  }
  return nullptr;
}
