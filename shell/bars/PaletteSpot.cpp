#include "PaletteSpot.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

// Screen readers announce a spot as the button it looks like, not as a bare client area.
QAccessibleInterface* SpotAsButton(const QString& className, QObject* object)
{
    if (className == QLatin1String("PaletteSpot") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Button);
    return nullptr;
}

}  // namespace

PaletteSpot::PaletteSpot(const QString& text, QWidget* bar) : QWidget(bar)
{
    static const bool registered = [] {
        QAccessible::installFactory(SpotAsButton);
        return true;
    }();
    Q_UNUSED(registered);
    setToolTip(text);
    setAccessibleName(text);
    setFocusPolicy(Qt::NoFocus);
}
