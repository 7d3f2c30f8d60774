// Everything the program keeps for its whole run; main() owns the one instance.
#pragma once

#include <cstdint>

#include "app/app_strings.h"
#include "app/enum_item_list.h"
#include "app/widgets/menu_state.h"
#include "config/port_config.h"
#include "display/fix_display.h"
#include "gps/gps_port.h"
#include "gps/settings_enumerator.h"
#include "language/resource_module.h"

struct AppState {
  ResourceModule module = ProgramResourceModule();
  AppStrings strings{};
  GpsPort port{};
  PortConfig config{};
  FixDisplay display{};
  SettingsEnumerator enumerator{};
  EnumItemList enum_items{};  // the configuration dialog's collected entries
  int32_t menu_state = kMenuStateBeforeInit;
  bool quit_done = false;     // the quit sequence has run; it runs once
  uint32_t link_attempt = 0;  // counts Starts; a late MSG_LINK_CONNECTED is not for this one
  char16_t recording_path[kMaxPathChars]{};  // the file of the latest recording
};

// Releases what outlives the windows: leftover dialog entries and the language module.
void ReleaseAppState(AppState* app);
