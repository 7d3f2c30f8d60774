// The window-title texts that say why the read-outs are not live (string ids 240 to
// 249). "%1" stands for a number of seconds. A language module may carry the same ids.
#pragma once

#include <cstdint>

#include "res/string_table.h"

enum LinkStateStringId : uint32_t {
  IDS_NO_DATA_FOR = 240,
  IDS_NO_POSITION_FOR = 241,
  IDS_NOT_LIVE = 242,
};

// The program's own text of `id`, or null.
const StringResource* FindLinkStateString(uint32_t id);
