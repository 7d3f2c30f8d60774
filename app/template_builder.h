// Builds windows from templates, converting dialog units with the window's font: an x
// unit is a quarter of the average character width, a y unit an eighth of the
// character height. Controls are named by their ids ("301"), so they can be found.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include "res/resource_tables.h"

struct DialogUnits {
  int char_width;   // pixels per 4 x units
  int char_height;  // pixels per 8 y units
};

DialogUnits DialogUnitsOf(const QFont& font);
QRect DialogRectToPixels(const DialogUnits& units, int x, int y, int width, int height);

QString TemplateText(const char16_t* text);

// Sets the window's title and client size and creates its controls as children.
void BuildFromTemplate(QWidget* window, const DialogTemplate& dialog);

// The control with this id in `window`, or null.
QWidget* FindControl(QWidget* window, int id);
template <typename Control>
Control* FindControlAs(QWidget* window, int id) {
  return qobject_cast<Control*>(FindControl(window, id));
}
