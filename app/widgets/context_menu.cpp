#include "app/widgets/context_menu.h"

#include <QAction>
#include <QMenu>
#include <memory>

#include "app/widgets/menu_state.h"
#include "app/widgets/template_builder.h"

QMenu* BuildContextMenu(const ResourceModule& module, int32_t menu_state, QWidget* parent) {
  const MenuTemplate* menu = FindMenu(module.tables, IDM_CONTEXT);
  if (menu == nullptr) return nullptr;
  auto* popup = new QMenu(TemplateText(menu->popup_text), parent);
  for (int32_t i = 0; i < menu->item_count; ++i) {
    const MenuItemTemplate& item = menu->items[i];
    QAction* action = popup->addAction(TemplateText(item.text));
    action->setData(static_cast<int>(item.id));
    action->setObjectName(QString::number(item.id));
    action->setEnabled(MenuCommandEnabled(menu_state, item.id));
  }
  return popup;
}

int RunContextMenu(QWidget* owner, const ResourceModule& module, int32_t menu_state,
                   const QPoint& screen_point) {
  std::unique_ptr<QMenu> popup(BuildContextMenu(module, menu_state, owner));
  if (!popup) return 0;
  const QAction* chosen = popup->exec(screen_point);
  return chosen != nullptr ? chosen->data().toInt() : 0;
}
