#pragma once
// A view that keeps the page settings a note carries and draws nothing: enough to read a note
// or store it again without allocating and rendering its page.

#include "document/IDocumentView.h"
#include "platform/DrawingSurface.h"

class PageSettingsView : public IDocumentView {
public:
    PageSettings GetPageSettings() const override { return m_settings; }
    void SetPageSettings(const PageSettings& settings) override { m_settings = settings; }
    void DrawRuledLines(bool) override {}
    DrawingSurface& PageSurface() override { return m_noPage; }
    void ResetPage() override {}
    void ScrollToOrigin() override {}
    void SetHasInk(bool) override {}
    void ScheduleDeviceImport(const QString&) override {}
    bool WriteDeviceFile(const QString&) override { return false; }  // notes only
    int FrameMode() const override { return 0; }
    void TitleChanged(const QString&) override {}
    void ParkTablet() override {}
    void ReopenTablet() override {}

private:
    PageSettings m_settings;
    DrawingSurface m_noPage;  // no bitmap: drawing on it does nothing
};
