// The context menu: the first pop-up of menu 602, its commands enabled or greyed by
// the menu state.
#pragma once

#include <QPoint>
#include <cstdint>

#include "language/resource_module.h"

class QMenu;
class QWidget;

// Builds the pop-up of menu 602 with each action's data holding its command id; null
// when the module has no such menu.
QMenu* BuildContextMenu(const ResourceModule& module, int32_t menu_state, QWidget* parent);

// Shows the pop-up at `screen_point` and waits for a choice. Returns the chosen
// command id, or 0 when the menu was dismissed.
int RunContextMenu(QWidget* owner, const ResourceModule& module, int32_t menu_state,
                   const QPoint& screen_point);
