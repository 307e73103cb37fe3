#include "DesktopCaptureRect.h"

namespace {

bool IsPassedOver(const TopLevelWindow& window)
{
    return window.title.isEmpty() || window.title == QLatin1String("Program Manager") || window.desktopOrDock
        || window.iconic || !window.enabled || !window.visible || window.own;
}

}  // namespace

CRect ComputeDesktopCaptureRect(const CRect& desk, const CRect& inkBounds, const std::vector<TopLevelWindow>& windows)
{
    CRect r = inkBounds;
    if (r.IsRectEmpty())
        return r;
    for (const TopLevelWindow& window : windows) {
        if (IsPassedOver(window) || !IntersectsRect(r, window.rect))
            continue;
        r.UnionRect(r, window.rect);
        r.left = std::max(r.left, desk.left);
        r.top = std::max(r.top, desk.top);
        r.right = std::min(r.right, desk.right);
        r.bottom = std::min(r.bottom, desk.bottom);
    }
    return r;
}
