// The configuration dialog (template 502): five labelled lists filled from the settings
// enumerator, then OK writes the chosen texts and positions into the PortConfig. A
// setting the person does not touch keeps its text: the port tavik itself holds is
// listed, and a stored setting no entry offers now is listed as not available.
#pragma once

#include <QDialog>

#include "app/app_state.h"
#include "res/resource_tables.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QPushButton;

// The least height of a list or button, in pixels at scale 1: a finger hits it.
inline constexpr int kTouchTargetPixels = 40;

class ConfigDialog : public QDialog {
 public:
  // Builds the dialog and runs its initialisation, which starts the enumerator.
  ConfigDialog(const DialogTemplate& dialog, AppState* app, PortConfig* config, QWidget* owner);
  // Stops an enumeration still running when the dialog goes without OK or Cancel
  // (the program quitting under it).
  ~ConfigDialog() override;

  void accept() override;  // Enter: OK
  void reject() override;  // Escape or the frame's close: Cancel

 protected:
  bool event(QEvent* event) override;  // the enumerator's "done" message

 private:
  void OnInit(PortConfig* config);
  void OnEnumDone();
  void OnOk();
  void OnCancel();
  QString ModuleString(uint32_t id) const;
  QString Shown(int setting, const QString& text) const;  // what a list shows for a text
  void LayOut();

  AppState* app_;
  PortConfig* config_ = nullptr;
  QComboBox* lists_[SETTING_COUNT] = {};  // 407 port ... 411 stop bits
  QPushButton* ok_ = nullptr;
  QLabel* no_port_ = nullptr;  // says so when no port can be opened
  QFormLayout* form_ = nullptr;
};

// Runs template 502 of the resource module modally on the application's PortConfig;
// does nothing when the module has no template 502. The result is ignored.
void RunConfigDialogModal(AppState* app, QWidget* owner);
