#include "app/widgets/menu_state.h"

#include "res/resource_tables.h"

int32_t MenuBitOfCommand(uint32_t command_id) {
  switch (command_id) {
    case IDM_START:
      return MENU_START;
    case IDM_STOP:
      return MENU_STOP;
    case IDM_CONFIGURE:
      return MENU_CONFIGURE;
    case IDM_RECORD:
      return MENU_RECORD;
    case IDM_STOP_RECORDING:
      return MENU_STOP_RECORDING;
    case IDM_EXIT:
      return MENU_EXIT;
    default:
      return 0;
  }
}

int MenuCommandEnabled(int32_t state, uint32_t command_id) {
  const int32_t bit = MenuBitOfCommand(command_id);
  return bit == 0 || (state & bit) != 0 ? 1 : 0;
}
