// Message boxes and the save-file prompt, all with the caption "tavik".
#pragma once

#include <QDateTime>
#include <QString>

class QWidget;

// Shrinks a top-level window to its screen's available area where it is larger and
// moves it wholly into that area; a small phone screen shows every window whole.
void KeepOnScreen(QWidget* window);

// An error box with the error icon, owned by `owner` (none when null); `cause`, when
// given, is its informative text below `text`.
void ShowErrorBox(QWidget* owner, const char16_t* text, const char16_t* cause = nullptr);

// A Yes/No question; 1 for Yes, 0 for No.
int AskYesNo(QWidget* owner, const char16_t* text);

// The system text of error `error_number` (strerror) in an error box without owner.
void ReportFatalStartupError(int error_number);

// Where a new recording is proposed: the folder of `last_recording` when it exists,
// else `documents` when it exists, else `home`; named tavik-YYYY-MM-DD-HHMM.gpx after
// the local time `now`.
QString ProposedRecordingPath(const QString& last_recording, const QString& documents,
                              const QString& home, const QDateTime& now);

// Asks for a file name to save to in the desktop's own file chooser where there is one
// (else Qt's), opening at `proposed` (a folder and a name), offering the filters of
// `filter_list` (pairs of NUL-separated description and pattern texts, `filter_length`
// characters). A typed name is used as typed: nothing is appended to it. Returns 1 with
// the name in `path`, else 0 (also when the name does not fit `capacity` characters
// with its terminator).
int PromptSaveFileName(QWidget* owner, const QString& proposed, const char16_t* filter_list,
                       int filter_length, char16_t* path, int capacity);
