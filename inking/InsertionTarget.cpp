#include "InsertionTarget.h"

#include "mail/X11TopLevelWindows.h"
#include "platform/Settings.h"

namespace InsertionTarget {

namespace {

bool CanTakeInk(const TopLevelWindow& window)
{
    return window.visible && window.enabled && !window.iconic && !window.own && !window.desktopOrDock
        && !window.rect.IsRectEmpty();
}

}  // namespace

std::optional<TopLevelWindow> Pick(const std::vector<TopLevelWindow>& windows, const CRect& ink)
{
    const POINT centre{ink.left + ink.Width() / 2, ink.top + ink.Height() / 2};
    for (const TopLevelWindow& window : windows)
        if (CanTakeInk(window) && window.rect.PtInRect(centre))
            return window;
    for (const TopLevelWindow& window : windows) {
        CRect common;
        if (CanTakeInk(window) && common.IntersectRect(window.rect, ink))
            return window;
    }
    return std::nullopt;
}

std::optional<TopLevelWindow> Under(const CRect& ink)
{
    return Pick(X11TopLevelWindows(), ink);
}

QStringList OfficePrograms()
{
    QStringList programs;
    for (const QString& name : ReadSetting(Settings::OfficePrograms).split(QLatin1Char(',')))
        if (!name.trimmed().isEmpty())
            programs << name.trimmed();
    return programs;
}

bool IsOffice(const TopLevelWindow& window, const QStringList& programs)
{
    for (const QString& program : programs)
        if ((!window.windowInstance.isEmpty() && window.windowInstance.compare(program, Qt::CaseInsensitive) == 0)
            || (!window.windowClass.isEmpty() && window.windowClass.compare(program, Qt::CaseInsensitive) == 0))
            return true;
    return false;
}

}  // namespace InsertionTarget
