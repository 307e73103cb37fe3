#pragma once
// The view's own screen overlay as the frame sees it.

#include "IWritingOverlay.h"

#include "canvas/CScrivaView.h"

class ViewWritingOverlay : public IWritingOverlay {
public:
    explicit ViewWritingOverlay(CScrivaView& view) : m_view(view) {}
    bool ShowSnapshotOverlay() override { return m_view.ShowSnapshotOverlay(); }
    void HideOverlay() override { m_view.HideOverlay(); }
    void RepaintFromBackBuffer() override { m_view.RepaintOverlay(); }

private:
    CScrivaView& m_view;
};
