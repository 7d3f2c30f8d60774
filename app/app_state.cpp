#include "app/app_state.h"

void ReleaseAppState(AppState* app) {
  if (app == nullptr) return;
  FreeEnumItems(app->enum_items.head);
  app->enum_items.head = nullptr;
  ReleaseResourceModule(&app->module);
}
