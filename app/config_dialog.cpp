#include "app/config_dialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/enum_item_list.h"
#include "app/widgets/template_builder.h"
#include "app/widgets/window_messages.h"
#include "gps/setting_tables.h"
#include "gps/settings_enumerator.h"
#include "platform/serial_port.h"

using namespace Qt::StringLiterals;

namespace {

// List control of each PortConfig setting, in the order port ... stop bits.
constexpr int kListIds[SETTING_COUNT] = {IDC_PORT_LIST, IDC_BAUD_RATE_LIST, IDC_DATA_BITS_LIST,
                                         IDC_PARITY_LIST, IDC_STOP_BITS_LIST};
// What a list control copies out: 30 characters and its terminator, one unit fewer
// than a setting text holds.
constexpr int kListTextCapacity = kSettingTextChars - 1;
// The name a screen reader gives each list.
constexpr uint32_t kListNames[SETTING_COUNT] = {IDS_PORT_LIST_NAME, IDS_BAUD_RATE_LIST_NAME,
                                                IDS_DATA_BITS_LIST_NAME, IDS_PARITY_LIST_NAME,
                                                IDS_STOP_BITS_LIST_NAME};

// What each parity letter means.
constexpr struct {
  char16_t letter;
  uint32_t meaning;
} kParityMeanings[] = {{u'N', IDS_PARITY_NONE},
                       {u'O', IDS_PARITY_ODD},
                       {u'E', IDS_PARITY_EVEN},
                       {u'M', IDS_PARITY_MARK},
                       {u'S', IDS_PARITY_SPACE}};
// Room for a string the dialog shows, terminator included.
constexpr int kShownChars = 256;

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

// Adds a setting text to a list's texts where it belongs: a port among the others,
// highest number first as the enumerator's are, any other text at the end. Returns
// its position.
int InsertText(QStringList* texts, int setting, const QString& text) {
  int at = static_cast<int>(texts->size());
  const int number = setting == SETTING_PORT ? ComNumber(text.toUtf8().constData()) : -1;
  if (number >= 0) {
    for (int i = 0; i < at; ++i) {
      if (ComNumber((*texts)[i].toUtf8().constData()) < number) at = i;
    }
  }
  texts->insert(at, text);
  return at;
}

// The texts a list may come to show, so it is wide enough before it fills.
QStringList PossibleTexts(int setting) {
  QStringList texts;
  const auto add = [&texts](const SettingEntry* table, int count) {
    for (int row = 0; row < count; ++row)
      texts << QString::fromLatin1(table[row].text);
  };
  switch (setting) {
    case SETTING_PORT:
      for (int i = 0; i < kPortNameCount; ++i)
        texts << QString::fromLatin1(PortNameList[i]);
      break;
    case SETTING_BAUD_RATE:
      add(BaudRateTable, kBaudRateCount);
      break;
    case SETTING_DATA_BITS:
      add(DataBitsTable, kDataBitsCount);
      break;
    case SETTING_PARITY:
      add(ParityTable, kParityCount);
      break;
    case SETTING_STOP_BITS:
      add(StopBitsTable, kStopBitsCount);
      break;
    default:
      break;
  }
  return texts;
}

}  // namespace

ConfigDialog::ConfigDialog(const DialogTemplate& dialog, AppState* app, PortConfig* config,
                           QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), app_(app) {
  BuildFromTemplate(this, dialog);
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    lists_[setting] = FindControlAs<QComboBox>(this, kListIds[setting]);
    if (lists_[setting] != nullptr)
      lists_[setting]->setAccessibleName(ModuleString(kListNames[setting]));
  }
  ok_ = FindControlAs<QPushButton>(this, IDOK);
  if (ok_ != nullptr) {
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &ConfigDialog::OnOk);
  }
  if (auto* cancel = FindControlAs<QPushButton>(this, IDCANCEL)) {
    connect(cancel, &QPushButton::clicked, this, &ConfigDialog::OnCancel);
  }
  LayOut();
  OnInit(config);
}

QString ConfigDialog::ModuleString(uint32_t id) const {
  char16_t text[kShownChars];
  return LoadModuleStringOrOwn(app_->module, id, text, kShownChars) ? QString::fromUtf16(text)
                                                                    : QString();
}

QString ConfigDialog::Shown(int setting, const QString& text) const {
  if (setting != SETTING_PARITY || text.size() != 1) return text;
  for (const auto& parity : kParityMeanings) {
    if (text[0] == QChar(parity.letter)) {
      const QString meaning = ModuleString(parity.meaning);
      return meaning.isEmpty() ? text : meaning;
    }
  }
  return text;
}

// The template's controls, in its order (so its tab order and keys stay), each list
// under a label, and the buttons below; the window takes the size they need, so every
// text shows whole in any language, font and scale.
void ConfigDialog::LayOut() {
  form_ = new QFormLayout;
  form_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  const QString not_available = ModuleString(IDS_NOT_AVAILABLE);
  int widest = 0;
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    QComboBox* list = lists_[setting];
    if (list == nullptr) continue;
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setMinimumHeight(qMax(kTouchTargetPixels, list->sizeHint().height()));
    // Wide enough for what it may show, so the window keeps its size as the list fills.
    for (const QString& text : PossibleTexts(setting)) {
      list->addItem(Shown(setting, text));
      list->addItem(QString(not_available).replace(u"%1"_s, Shown(setting, text)));
    }
    widest = qMax(widest, list->sizeHint().width());
    list->clear();
    auto* label = new QLabel(list->accessibleName(), this);
    label->setBuddy(list);
    form_->addRow(label, list);
    if (setting == SETTING_PORT) {
      char folder[kDevicePathSize];
      no_port_ = new QLabel(
          ModuleString(IDS_NO_PORT_OPENS)
              .replace(u"%1"_s,
                       PortsFolder(folder, sizeof folder) ? QString::fromUtf8(folder) : QString()),
          this);
      no_port_->setWordWrap(true);
      no_port_->setTextInteractionFlags(Qt::TextSelectableByMouse);
      no_port_->hide();
      form_->addRow(no_port_);
    }
  }
  for (QComboBox* list : lists_) {
    if (list != nullptr) list->setMinimumWidth(widest);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (const int id : {IDOK, IDCANCEL}) {
    auto* button = FindControlAs<QPushButton>(this, id);
    if (button == nullptr) continue;
    button->setAccessibleName(button->text().remove(u'&'));
    button->setMinimumHeight(qMax(kTouchTargetPixels, button->sizeHint().height()));
    buttons->addWidget(button);
  }
  buttons->addStretch();
  auto* column = new QVBoxLayout(this);
  column->setSizeConstraint(QLayout::SetFixedSize);
  column->addLayout(form_);
  column->addLayout(buttons);
  // Labels beside their lists where the screen is wide enough, else above them.
  const QScreen* shown_on = screen();
  column->activate();
  if (shown_on != nullptr && sizeHint().width() > shown_on->availableGeometry().width()) {
    form_->setRowWrapPolicy(QFormLayout::WrapAllRows);
  } else {
    for (QComboBox* list : lists_) {  // each label in the middle beside its list
      QWidget* label = list != nullptr ? form_->labelForField(list) : nullptr;
      if (label != nullptr) label->setMinimumHeight(list->minimumHeight());
    }
  }
  // The message wraps within the width the lists take.
  if (no_port_ != nullptr) no_port_->setMinimumWidth(form_->sizeHint().width());
}

ConfigDialog::~ConfigDialog() {
  if (app_->enumerator.thread == nullptr) return;
  SettingsEnumeratorStop(&app_->enumerator, 1);
  FreeEnumItems(app_->enum_items.head);
  app_->enum_items.head = nullptr;
}

void ConfigDialog::accept() {
  OnOk();
}
void ConfigDialog::reject() {
  OnCancel();
}

// The one message the dialog receives: the enumerator thread has listed everything.
bool ConfigDialog::event(QEvent* event) {
  if (static_cast<int>(event->type()) != kEnumDoneEvent) return QDialog::event(event);
  OnEnumDone();
  return true;
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
  QStringList texts[SETTING_COUNT];  // by list, in the order shown
  for (const EnumItem* item = app_->enum_items.head; item != nullptr; item = item->next) {
    const int setting = SettingOfKind(item->kind);
    if (setting >= 0) texts[setting] << QString::fromUtf16(item->text);
  }
  // The probe cannot open the port the link holds, yet tavik can: it has it open.
  const QString held =
      app_->port.link.thread != nullptr ? QString::fromUtf8(app_->port.link.port_name) : QString();
  if (!held.isEmpty() && !texts[SETTING_PORT].contains(held)) {
    InsertText(&texts[SETTING_PORT], SETTING_PORT, held);
  }
  const bool a_port_opens = !texts[SETTING_PORT].isEmpty();
  // The stored text decides, as positions shift when ports come and go; a stored text
  // no entry offers now is offered as not available, so that OK keeps it. Only an
  // empty text goes by its position; an empty port becomes the default one.
  int selection[SETTING_COUNT] = {-1, -1, -1, -1, -1};
  int unavailable[SETTING_COUNT] = {-1, -1, -1, -1, -1};
  for (int setting = 0; config_ != nullptr && setting < SETTING_COUNT; ++setting) {
    QString stored = QString::fromUtf16(config_->text[setting]);
    const int position = config_->selection[setting];
    if (stored.isEmpty()) {
      if (position >= 0 && position < texts[setting].size()) {
        selection[setting] = position;
        continue;
      }
      if (setting != SETTING_PORT) continue;
      stored = QString::fromLatin1(DefaultSettingTexts[SETTING_PORT]);
    }
    selection[setting] = static_cast<int>(texts[setting].indexOf(stored));
    if (selection[setting] < 0) {
      selection[setting] = InsertText(&texts[setting], setting, stored);
      unavailable[setting] = selection[setting];
    }
  }
  const QString not_available = ModuleString(IDS_NOT_AVAILABLE);
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    QComboBox* list = lists_[setting];
    if (list == nullptr) continue;
    for (int i = 0; i < texts[setting].size(); ++i) {
      QString shown = Shown(setting, texts[setting][i]);
      if (i == unavailable[setting]) shown = QString(not_available).replace(u"%1"_s, shown);
      list->addItem(shown, texts[setting][i]);  // the stored text goes with what is shown
    }
    list->setCurrentIndex(selection[setting]);
  }
  for (QComboBox* list : lists_) {
    if (list != nullptr) list->setEnabled(true);
  }
  if (ok_ != nullptr) ok_->setEnabled(true);
  if (no_port_ != nullptr) no_port_->setVisible(!a_port_opens);
  // The window may have grown (the message, a long device path): it stays on the screen.
  const QSize before = size();
  layout()->activate();
  if (size() != before) adjustPosition(parentWidget());
  SettingsEnumeratorStop(&app_->enumerator, 1);
  FreeEnumItems(app_->enum_items.head);
  app_->enum_items.head = nullptr;
}

void ConfigDialog::OnOk() {
  SettingsEnumeratorStop(&app_->enumerator, 1);
  if (config_ != nullptr) {
    for (int setting = 0; setting < SETTING_COUNT; ++setting) {
      const QComboBox* list = lists_[setting];
      const bool chosen = list != nullptr && list->currentIndex() >= 0;
      config_->selection[setting] = static_cast<int16_t>(chosen ? list->currentIndex() : -1);
      // A list without a choice (OK before the lists filled) keeps the stored text; the
      // port is never left empty.
      QString text =
          chosen ? list->currentData().toString() : QString::fromUtf16(config_->text[setting]);
      if (setting == SETTING_PORT && text.isEmpty())
        text = QString::fromLatin1(DefaultSettingTexts[SETTING_PORT]);
      const qsizetype count = qMin<qsizetype>(text.size(), kListTextCapacity - 1);
      for (qsizetype i = 0; i < count; ++i)
        config_->text[setting][i] = text[i].unicode();
      config_->text[setting][count] = u'\0';
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
