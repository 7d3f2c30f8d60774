#include "app/widgets/template_builder.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

constexpr int kXUnitsPerChar = 4;
constexpr int kYUnitsPerChar = 8;
// The window system averages the widths of the 52 Latin letters.
constexpr char kAverageSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kAverageSampleLength = sizeof kAverageSample - 1;
// A line edit keeps this many pixels free on each side of its text.
constexpr int kLineEditTextMargin = 2;
// Where a control's template is, and which units a window was built with.
constexpr char kTemplateIndexProperty[] = "tavikTemplateIndex";
constexpr char kUnitWidthProperty[] = "tavikDialogUnitWidth";
constexpr char kUnitHeightProperty[] = "tavikDialogUnitHeight";

int Scale(int units, int pixels_per_char, int units_per_char) {
  return (units * pixels_per_char + units_per_char / 2) / units_per_char;
}

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) {
  const QString text = TemplateText(control.text);
  QWidget* widget = nullptr;
  switch (control.control_class) {
    case CLASS_LABEL: {
      auto* label = new QLabel(text, parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      widget = label;
      break;
    }
    case CLASS_EDIT: {
      auto* edit = new QLineEdit(text, parent);
      edit->setReadOnly((control.style & ES_READONLY) != 0);
      edit->setFrame((control.style & WS_BORDER) != 0);
      widget = edit;
      break;
    }
    case CLASS_COMBO_BOX:
      widget = new QComboBox(parent);
      break;
    case CLASS_BUTTON: {
      auto* button = new QPushButton(text, parent);
      button->setAutoDefault((control.style & BS_DEFPUSHBUTTON) != 0);
      widget = button;
      break;
    }
  }
  widget->setFocusPolicy((control.style & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::NoFocus);
  if (control.id != IDC_STATIC) widget->setObjectName(QString::number(control.id));
  widget->setVisible((control.style & WS_VISIBLE) != 0);
  return widget;
}

void PlaceControl(QWidget* widget, const ControlTemplate& control, const DialogUnits& units) {
  QRect rect = DialogRectToPixels(units, control.x, control.y, control.width, control.height);
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    // The template's height is that of the dropped-down list; the field keeps its own.
    const int field = combo->sizeHint().height();
    const int row = QFontMetrics(combo->font()).height() + 2;
    combo->setMaxVisibleItems(qMax(1, (rect.height() - field) / row));
    rect.setHeight(field);
  }
  widget->setGeometry(rect);
}

// The window's controls built from templates, with the index of each one's template.
QList<QPair<QWidget*, int>> TemplateControls(QWidget* window, const DialogTemplate& dialog) {
  QList<QPair<QWidget*, int>> controls;
  for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    bool ok = false;
    const int index = child->property(kTemplateIndexProperty).toInt(&ok);
    if (ok && index >= 0 && index < dialog.control_count) controls.append({child, index});
  }
  return controls;
}

void PlaceAll(QWidget* window, const DialogTemplate& dialog, const DialogUnits& units) {
  window->setProperty(kUnitWidthProperty, units.char_width);
  window->setProperty(kUnitHeightProperty, units.char_height);
  window->resize(DialogRectToPixels(units, 0, 0, dialog.width, dialog.height).size());
  for (const auto& [widget, index] : TemplateControls(window, dialog)) {
    PlaceControl(widget, dialog.controls[index], units);
  }
}

// The texts a control shows: a label's own text and those given for its id.
QStringList TextsOf(const ControlTemplate& control, const ControlTexts& texts) {
  QStringList shown = texts.value(control.id);
  if (control.control_class == CLASS_LABEL) shown << TemplateText(control.text);
  return shown;
}

}  // namespace

DialogUnits DialogUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int sum = metrics.horizontalAdvance(QString::fromLatin1(kAverageSample));
  // The average letter width, rounded to the nearest pixel.
  return {(sum * 2 / kAverageSampleLength + 1) / 2, metrics.height()};
}

DialogUnits DialogUnitsUsed(const QWidget* window) {
  return {window->property(kUnitWidthProperty).toInt(),
          window->property(kUnitHeightProperty).toInt()};
}

QRect DialogRectToPixels(const DialogUnits& units, int x, int y, int width, int height) {
  return QRect(Scale(x, units.char_width, kXUnitsPerChar),
               Scale(y, units.char_height, kYUnitsPerChar),
               Scale(width, units.char_width, kXUnitsPerChar),
               Scale(height, units.char_height, kYUnitsPerChar));
}

QString TemplateText(const char16_t* text) {
  return text == nullptr ? QString() : QString::fromUtf16(text);
}

int TextAreaWidth(const QWidget* control) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
    // The rectangle QLineEdit paints its text in.
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (edit->isReadOnly()) option.state |= QStyle::State_ReadOnly;
    option.features = QStyleOptionFrame::None;
    const QRect contents =
        edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * kLineEditTextMargin;
  }
  if (const auto* label = qobject_cast<const QLabel*>(control)) {
    return label->contentsRect().width() - 2 * label->margin() - qMax(0, label->indent());
  }
  return control->width();
}

void BuildFromTemplate(QWidget* window, const DialogTemplate& dialog) {
  window->setWindowTitle(TemplateText(dialog.caption));
  for (int32_t i = 0; i < dialog.control_count; ++i) {
    CreateControl(dialog.controls[i], window)->setProperty(kTemplateIndexProperty, i);
  }
  FitTemplateToTexts(window, dialog, {});
}

void FitTemplateToTexts(QWidget* window, const DialogTemplate& dialog, const ControlTexts& texts) {
  DialogUnits units = DialogUnitsOf(window->font());
  PlaceAll(window, dialog, units);
  // The widest text of each control fixes the least unit width that shows it whole; the
  // widest of these serves the whole window, so every proportion of the template stays.
  int needed = units.char_width;
  for (const auto& [widget, index] : TemplateControls(window, dialog)) {
    const ControlTemplate& control = dialog.controls[index];
    const QFontMetrics metrics(widget->font());
    int widest = 0;
    for (const QString& text : TextsOf(control, texts)) {
      widest = qMax(widest, metrics.horizontalAdvance(text));
    }
    if (widest == 0 || control.width <= 0) continue;
    // A line edit also draws its one-pixel cursor after the text.
    const int cursor = qobject_cast<QLineEdit*>(widget) != nullptr ? 1 : 0;
    const int pixels = widest + cursor + widget->width() - TextAreaWidth(widget);
    // DialogRectToPixels rounds width * unit / 4 to the nearest pixel.
    const int least =
        (kXUnitsPerChar * pixels - kXUnitsPerChar / 2 + control.width - 1) / control.width;
    needed = qMax(needed, least);
  }
  if (needed > units.char_width) {
    units.char_width = needed;
    PlaceAll(window, dialog, units);
  }
}

QWidget* FindControl(QWidget* window, int id) {
  if (window == nullptr) return nullptr;
  return window->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}
