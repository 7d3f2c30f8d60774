#include "tools/decode/readout_output.h"

#include "platform/text_convert.h"
#include "tools/decode/output_status.h"

namespace {

constexpr int kControlCount = IDC_EASTING - IDC_TIME + 1;

void StoreControlText(WindowHandle /*window*/, int id, const char16_t* text, void* context) {
  auto* printer = static_cast<ReadoutPrinter*>(context);
  const int index = id - IDC_TIME;
  if (index < 0 || index >= kControlCount) return;
  char16_t* control = printer->controls[index];
  int length = 0;
  while (length < kReadoutChars - 1 && text[length] != 0) {
    control[length] = text[length];
    ++length;
  }
  control[length] = 0;
}

int RefreshAndPrint(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t /*lparam*/,
                    void* context) {
  auto* printer = static_cast<ReadoutPrinter*>(context);
  if (message != MSG_FIX_UPDATED || window != printer) return 0;
  const auto changes = static_cast<uint32_t>(wparam);
  FixDisplayRefresh(printer->display, window, changes, StoreControlText, printer);
  fprintf(printer->out, "%02x", changes);
  for (const char16_t* control : printer->controls) {
    char text[kReadoutChars * 3];
    Utf16ToUtf8(text, sizeof text, control, kReadoutChars);
    fprintf(printer->out, "\t%s", text);
  }
  fputc('\n', printer->out);
  OutputWritten(printer->out);
  return 1;
}

}  // namespace

void InstallReadoutPrinter(ReadoutPrinter* printer, FixDisplay* display, FILE* out) {
  *printer = ReadoutPrinter{display, out, {}};
  InstallMessagePoster(RefreshAndPrint, printer);
}
