// Message boxes and the save-file prompt, all with the caption "tavik".
#pragma once

class QWidget;

// An error box with the error icon, owned by `owner` (none when null); `cause`, when
// given, is its informative text below `text`.
void ShowErrorBox(QWidget* owner, const char16_t* text, const char16_t* cause = nullptr);

// A Yes/No question; true for Yes.
bool AskYesNo(QWidget* owner, const char16_t* text);

// The system text of error `error_number` (strerror) in an error box without owner.
void ReportFatalStartupError(int error_number);

// Asks for a file name to save to, offering the filters of `filter_list` (pairs of
// NUL-separated description and pattern texts, `filter_length` characters). No name is
// proposed and none is appended to. Returns 1 with the name in `path`, else 0 (also
// when the name does not fit `capacity` characters with its terminator).
int PromptSaveFileName(QWidget* owner, const char16_t* filter_list, int filter_length,
                       char16_t* path, int capacity);
