// The configuration dialog (template 502): five lists filled from the settings
// enumerator, then OK writes the chosen texts and positions into the PortConfig.
#pragma once

#include <QDialog>

#include "app/app_state.h"
#include "res/resource_tables.h"

class QComboBox;
class QPushButton;

class ConfigDialog : public QDialog {
 public:
  // Builds the dialog and runs its initialisation, which starts the enumerator.
  ConfigDialog(const DialogTemplate& dialog, AppState* app, PortConfig* config, QWidget* owner);
  // Stops an enumeration still running when the dialog goes without OK or Cancel
  // (the program quitting under it).
  ~ConfigDialog() override;

  void accept() override;  // Enter: the OK command
  void reject() override;  // Escape or the frame's close: the Cancel command

 protected:
  bool event(QEvent* event) override;

 private:
  bool Dispatch(QEvent* event);  // the dialog procedure
  void OnInit(PortConfig* config);
  void OnEnumDone();
  void OnOk();
  void OnCancel();

  AppState* app_;
  PortConfig* config_ = nullptr;
  QComboBox* lists_[SETTING_COUNT] = {};  // 407 port ... 411 stop bits
  QPushButton* ok_ = nullptr;
};

// Runs template 502 of the resource module modally on the application's PortConfig;
// does nothing when the module has no template 502. The result is ignored.
void RunConfigDialogModal(AppState* app, QWidget* owner);
