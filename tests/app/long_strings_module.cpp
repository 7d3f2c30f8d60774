// A language module whose time format is longer than its 16-character buffer, and
// whose other strings say which module they came from.
#include "res/resource_tables.h"

namespace {

constexpr StringResource kStrings[] = {
    MakeString(IDS_REALLY_QUIT, u"long module"),
    MakeString(IDS_TIME_FORMAT, u"%010.3lf abcdefghijklmnopqrstu"),  // 30 characters
};

const ResourceTables kTables = {0x0407, kStrings, 2, nullptr, 0, nullptr, 0};

}  // namespace

extern "C" __attribute__((visibility("default"))) const ResourceTables* TavikResourceTables() {
  return &kTables;
}
