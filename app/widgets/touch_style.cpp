#include "app/widgets/touch_style.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleOption>

namespace {

class TouchStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                         const QWidget* widget) const override {
    QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    const bool separator = item != nullptr && item->menuItemType == QStyleOptionMenuItem::Separator;
    if ((type == CT_MenuItem && !separator) || type == CT_PushButton) {
      size.setHeight(qMax(size.height(), kTouchTargetHeight));
    }
    return size;
  }
};

}  // namespace

void UseTouchSizedTargets() {
  // A style of its own by the same name, as the proxy takes its base style over.
  QApplication::setStyle(new TouchStyle(QApplication::style()->name()));
}
