// Which commands of the context menu are enabled: one bit per command.
#pragma once

#include <cstdint>

enum MenuBit : int32_t {
  MENU_START = 0x01,
  MENU_STOP = 0x02,
  MENU_CONFIGURE = 0x04,
  MENU_RECORD = 0x08,
  MENU_STOP_RECORDING = 0x10,
  MENU_EXIT = 0x20,
};

inline constexpr int32_t kMenuStateBeforeInit = -1;
inline constexpr int32_t kMenuStateInitial = ~(MENU_STOP | MENU_STOP_RECORDING);  // -19

// The bit of a command id, or 0 for a command that is always enabled (Display off)
// or unknown.
int32_t MenuBitOfCommand(uint32_t command_id);

// 1 when the command is enabled in `state`, else 0.
int MenuCommandEnabled(int32_t state, uint32_t command_id);
