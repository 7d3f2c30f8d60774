#include "app/config_dialog.h"

#include <QComboBox>
#include <QPushButton>

#include "app/enum_item_list.h"
#include "app/template_builder.h"
#include "app/window_messages.h"
#include "gps/settings_enumerator.h"

namespace {

// List control of each PortConfig setting, in the order port ... stop bits.
constexpr int kListIds[SETTING_COUNT] = {IDC_PORT_LIST, IDC_BAUD_RATE_LIST, IDC_DATA_BITS_LIST,
                                         IDC_PARITY_LIST, IDC_STOP_BITS_LIST};
// What a list control copies out: 30 characters and its terminator.
constexpr int kListTextCapacity = 31;
// The name a screen reader gives each list.
constexpr uint32_t kListNames[SETTING_COUNT] = {IDS_PORT_LIST_NAME, IDS_BAUD_RATE_LIST_NAME,
                                                IDS_DATA_BITS_LIST_NAME, IDS_PARITY_LIST_NAME,
                                                IDS_STOP_BITS_LIST_NAME};

// The setting an enumerator kind fills, or -1.
int SettingOfKind(int32_t kind) {
  switch (kind) {
    case KIND_PORT:
      return SETTING_PORT;
    case KIND_BAUD_RATE:
      return SETTING_BAUD_RATE;
    case KIND_DATA_BITS:
      return SETTING_DATA_BITS;
    case KIND_PARITY:
      return SETTING_PARITY;
    case KIND_STOP_BITS:
      return SETTING_STOP_BITS;
    default:
      return -1;
  }
}

}  // namespace

ConfigDialog::ConfigDialog(const DialogTemplate& dialog, AppState* app, PortConfig* config,
                           QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), app_(app) {
  BuildFromTemplate(this, dialog);
  setFixedSize(size());
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    lists_[setting] = FindControlAs<QComboBox>(this, kListIds[setting]);
    char16_t name[kListTextCapacity];
    if (lists_[setting] != nullptr &&
        LoadModuleStringOrOwn(app_->module, kListNames[setting], name, kListTextCapacity)) {
      lists_[setting]->setAccessibleName(QString::fromUtf16(name));
    }
  }
  ok_ = FindControlAs<QPushButton>(this, IDOK);
  if (ok_ != nullptr) {
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, [this] { PostCommand(this, IDOK); });
  }
  if (auto* cancel = FindControlAs<QPushButton>(this, IDCANCEL)) {
    connect(cancel, &QPushButton::clicked, this, [this] { PostCommand(this, IDCANCEL); });
  }
  OnInit(config);
}

ConfigDialog::~ConfigDialog() {
  if (app_->enumerator.thread == nullptr) return;
  SettingsEnumeratorStop(&app_->enumerator, 1);
  FreeEnumItems(app_->enum_items.head);
  app_->enum_items.head = nullptr;
}

void ConfigDialog::accept() {
  PostCommand(this, IDOK);
}
void ConfigDialog::reject() {
  PostCommand(this, IDCANCEL);
}

bool ConfigDialog::event(QEvent* event) {
  return Dispatch(event) || QDialog::event(event);
}

bool ConfigDialog::Dispatch(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case kEnumDoneEvent:
      OnEnumDone();
      return true;
    case kCommandEvent: {
      const uint32_t id = CommandIdOf(*static_cast<WindowMessageEvent*>(event));
      if (id == IDOK) OnOk();
      if (id == IDCANCEL) OnCancel();
      return id == IDOK || id == IDCANCEL;
    }
    default:
      return false;
  }
}

void ConfigDialog::OnInit(PortConfig* config) {
  config_ = config;
  FreeEnumItems(app_->enum_items.head);
  app_->enum_items.head = nullptr;
  app_->enum_items.window = HandleOf(this);
  SettingsEnumeratorClear(&app_->enumerator);
  for (QComboBox* list : lists_) {
    if (list != nullptr) list->clear();
  }
  for (QComboBox* list : lists_) {
    if (list != nullptr) list->setEnabled(false);
  }
  if (ok_ != nullptr) ok_->setEnabled(false);
  SettingsEnumeratorStart(&app_->enumerator, OnEnumItem, &app_->enum_items);
}

void ConfigDialog::OnEnumDone() {
  for (const EnumItem* item = app_->enum_items.head; item != nullptr; item = item->next) {
    const int setting = SettingOfKind(item->kind);
    if (setting >= 0 && lists_[setting] != nullptr) {
      lists_[setting]->addItem(QString::fromUtf16(item->text));
    }
  }
  for (QComboBox* list : lists_) {
    if (list != nullptr) list->setEnabled(true);
  }
  if (ok_ != nullptr) ok_->setEnabled(true);
  // A list picks its first entry as it fills; only the stored configuration counts.
  for (QComboBox* list : lists_) {
    if (list != nullptr) list->setCurrentIndex(-1);
  }
  if (config_ != nullptr) {
    for (int setting = 0; setting < SETTING_COUNT; ++setting) {
      QComboBox* list = lists_[setting];
      if (list == nullptr) continue;
      // The stored text decides: positions shift as ports come and go. Only a text no
      // entry has falls back to the stored position.
      int selection = list->findText(QString::fromUtf16(config_->text[setting]), Qt::MatchExactly);
      if (selection < 0) selection = config_->selection[setting];
      if (selection >= 0 && selection < list->count()) list->setCurrentIndex(selection);
    }
  }
  SettingsEnumeratorStop(&app_->enumerator, 1);
  FreeEnumItems(app_->enum_items.head);
  app_->enum_items.head = nullptr;
}

void ConfigDialog::OnOk() {
  SettingsEnumeratorStop(&app_->enumerator, 1);
  if (config_ != nullptr) {
    for (int setting = 0; setting < SETTING_COUNT; ++setting) {
      const QComboBox* list = lists_[setting];
      const QString text =
          list != nullptr && list->currentIndex() >= 0 ? list->currentText() : QString();
      const qsizetype count = qMin<qsizetype>(text.size(), kListTextCapacity - 1);
      for (qsizetype i = 0; i < count; ++i)
        config_->text[setting][i] = text[i].unicode();
      config_->text[setting][count] = u'\0';
      config_->selection[setting] =
          static_cast<int16_t>(list != nullptr ? list->currentIndex() : -1);
    }
  }
  done(1);
}

void ConfigDialog::OnCancel() {
  SettingsEnumeratorStop(&app_->enumerator, 1);
  FreeEnumItems(app_->enum_items.head);
  app_->enum_items.head = nullptr;
  done(0);
}

void RunConfigDialogModal(AppState* app, QWidget* owner) {
  const DialogTemplate* dialog = FindDialog(app->module.tables, IDD_CONFIG);
  if (dialog == nullptr) return;
  ConfigDialog config_dialog(*dialog, app, &app->config, owner);
  config_dialog.exec();
}
