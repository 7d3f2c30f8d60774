// Helpers for driving real windows in tests.
#pragma once

#include <QApplication>
#include <QWidget>
#include <functional>

// Whether an X server is there (the keep-awake and display tests need one).
bool HaveXServer();

// Processes events until `done` holds or `timeout_ms` passes; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeout_ms = 5000);

// Runs `act` on the next modal widget (message box, file dialog, dialog) as soon as
// it is shown, from within its own event loop, as a person at the screen would.
void WhenModalShows(std::function<void(QWidget*)> act);

// Answers the next message box with the button whose text contains `button_text`.
void AnswerNextMessageBox(const QString& button_text, QString* seen_text = nullptr,
                          QString* seen_caption = nullptr, QString* seen_informative = nullptr);

// Types `name` into the next file dialog and accepts it; an empty name cancels.
void AnswerNextFileDialog(const QString& name, QStringList* seen_filters = nullptr);

// Runs `act` on the next pop-up (a menu) as soon as it is shown.
void WhenPopupShows(std::function<void(QWidget*)> act);

// Runs the command with this object name ("603") in the next context menu; 0 closes
// the menu. The enabled command ids are collected in `enabled` when given.
void ChooseFromNextMenu(int command_id, QList<int>* enabled = nullptr);
