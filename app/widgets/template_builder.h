// Builds windows from templates, converting dialog units with the window's font: an x
// unit is a quarter of the average character width, a y unit an eighth of the
// character height. Controls are named by their ids ("301"), so they can be found.
#pragma once

#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "res/resource_tables.h"

struct DialogUnits {
  int char_width;   // pixels per 4 x units
  int char_height;  // pixels per 8 y units
};

// The units of `font`, and those a window was last laid out with (the font's, or wider
// so that every text fits).
DialogUnits DialogUnitsOf(const QFont& font);
DialogUnits DialogUnitsUsed(const QWidget* window);
QRect DialogRectToPixels(const DialogUnits& units, int x, int y, int width, int height);

QString TemplateText(const char16_t* text);

// Sets the window's title and client size and creates its controls as children.
void BuildFromTemplate(QWidget* window, const DialogTemplate& dialog);

// Texts controls must show whole, by control id; a label's own text always counts.
using ControlTexts = QHash<int, QStringList>;

// Lays the window out again with the least x unit, no narrower than its font's, that
// shows each control's texts whole in its text area, measured with the control's font.
// Positions and sizes stay those of the template, all in the same unit.
void FitTemplateToTexts(QWidget* window, const DialogTemplate& dialog, const ControlTexts& texts);

// The pixels a label or line edit has for its text (a line edit's inner margins and
// frame left out); any other control's width.
int TextAreaWidth(const QWidget* control);

// The control with this id in `window`, or null.
QWidget* FindControl(QWidget* window, int id);
template <typename Control>
Control* FindControlAs(QWidget* window, int id) {
  return qobject_cast<Control*>(FindControl(window, id));
}
