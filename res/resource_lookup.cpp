#include "res/resource_tables.h"

const StringResource* FindString(const ResourceTables* tables, uint32_t id) {
  return tables != nullptr ? FindRow(tables->strings, tables->string_count, id) : nullptr;
}

const DialogTemplate* FindDialog(const ResourceTables* tables, uint32_t id) {
  return tables != nullptr ? FindRow(tables->dialogs, tables->dialog_count, id) : nullptr;
}

const MenuTemplate* FindMenu(const ResourceTables* tables, uint32_t id) {
  return tables != nullptr ? FindRow(tables->menus, tables->menu_count, id) : nullptr;
}
