#include "res/link_state_strings.h"

#include <iterator>

#include "res/resource_tables.h"

namespace {

constexpr StringResource kLinkStateStrings[] = {
    MakeString(IDS_NO_DATA_FOR, u"no data from the receiver for %1 s"),
    MakeString(IDS_NO_POSITION_FOR, u"data without a position for %1 s"),
    MakeString(IDS_NOT_LIVE, u"stopped, not live"),
};

}  // namespace

const StringResource* FindLinkStateString(uint32_t id) {
  return FindRow(kLinkStateStrings, std::size(kLinkStateStrings), id);
}
