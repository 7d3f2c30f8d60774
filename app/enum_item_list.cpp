#include "app/enum_item_list.h"

#include <cstdlib>

#include "gps/settings_enumerator.h"

void OnEnumItem(const char* text, int32_t kind, void* context) {
  auto* list = static_cast<EnumItemList*>(context);
  if (list == nullptr) return;
  if (kind >= KIND_BAUD_RATE && kind <= KIND_PORT) {
    if (text == nullptr) return;
    auto* item = static_cast<EnumItem*>(std::calloc(1, sizeof(EnumItem)));
    if (item == nullptr) return;
    // Setting texts and port names are ASCII; each byte is one code unit.
    for (int i = 0; i < kEnumItemChars - 1 && text[i] != '\0'; ++i) {
      item->text[i] = static_cast<unsigned char>(text[i]);
    }
    item->text[kEnumItemChars - 1] = u'\0';
    item->kind = kind;
    item->next = list->head;
    list->head = item;
  } else if (kind == KIND_DONE) {
    PostMessageToWindow(list->window, MSG_ENUM_DONE, 0, 0);
  }
}

void FreeEnumItems(EnumItem* head) {
  while (head != nullptr) {
    EnumItem* next = head->next;
    std::free(head);
    head = next;
  }
}
