#include "app/template_builder.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kXUnitsPerChar = 4;
constexpr int kYUnitsPerChar = 8;
// The window system averages the widths of the 52 Latin letters.
constexpr char kAverageSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kAverageSampleLength = sizeof kAverageSample - 1;

int Scale(int units, int pixels_per_char, int units_per_char) {
  return (units * pixels_per_char + units_per_char / 2) / units_per_char;
}

QWidget* CreateControl(const ControlTemplate& control, const DialogUnits& units, QWidget* parent) {
  const QString text = TemplateText(control.text);
  QRect rect = DialogRectToPixels(units, control.x, control.y, control.width, control.height);
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
    case CLASS_COMBO_BOX: {
      // The template's height is that of the dropped-down list; the field keeps its own.
      auto* combo = new QComboBox(parent);
      const int field = combo->sizeHint().height();
      const int row = QFontMetrics(combo->font()).height() + 2;
      combo->setMaxVisibleItems(qMax(1, (rect.height() - field) / row));
      rect.setHeight(field);
      widget = combo;
      break;
    }
    case CLASS_BUTTON: {
      auto* button = new QPushButton(text, parent);
      button->setAutoDefault((control.style & BS_DEFPUSHBUTTON) != 0);
      widget = button;
      break;
    }
  }
  widget->setGeometry(rect);
  widget->setFocusPolicy((control.style & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::NoFocus);
  if (control.id != IDC_STATIC) widget->setObjectName(QString::number(control.id));
  widget->setVisible((control.style & WS_VISIBLE) != 0);
  return widget;
}

}  // namespace

DialogUnits DialogUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int sum = metrics.horizontalAdvance(QString::fromLatin1(kAverageSample));
  return {(sum / 26 + 1) / 2, metrics.height()};
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

void BuildFromTemplate(QWidget* window, const DialogTemplate& dialog) {
  const DialogUnits units = DialogUnitsOf(window->font());
  window->setWindowTitle(TemplateText(dialog.caption));
  window->resize(DialogRectToPixels(units, 0, 0, dialog.width, dialog.height).size());
  for (int32_t i = 0; i < dialog.control_count; ++i) {
    CreateControl(dialog.controls[i], units, window);
  }
}

QWidget* FindControl(QWidget* window, int id) {
  if (window == nullptr) return nullptr;
  return window->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}
