// The entries the settings enumerator reports to the configuration dialog, collected on
// the enumerator thread and handed to the dialog in one batch.
#pragma once

#include <cstdint>

#include "gps/setting_tables.h"
#include "platform/post_message.h"

inline constexpr int kEnumItemChars = kSettingTextChars;  // a setting text as listed

struct EnumItem {
  char16_t text[kEnumItemChars];
  int32_t kind;  // SettingKind 1 to 5
  EnumItem* next;
};

// No lock: the enumerator thread alone links items in while it runs; the dialog's
// thread touches the list only before the start, on MSG_ENUM_DONE or after the stop.
struct EnumItemList {
  EnumItem* head;
  WindowHandle window;  // where MSG_ENUM_DONE goes
};

// The dialog's SettingItemCallback: links each entry in front of the list, and posts
// MSG_ENUM_DONE to the list's window on KIND_DONE.
void OnEnumItem(const char* text, int32_t kind, void* list);

// Frees every item from `head` on.
void FreeEnumItems(EnumItem* head);
