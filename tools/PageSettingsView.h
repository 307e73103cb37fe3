#pragma once
// A view that keeps the page settings a note carries and draws nothing: enough to read a note
// or store it again without allocating and rendering its page.

#include "document/DeviceFileIO.h"
#include "document/IDocumentView.h"
#include "ink/CLines.h"
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
    void CancelDeviceImport() override {}
    bool WriteDeviceFile(const QString&) override { return false; }  // notes only
    bool WriteDeviceFile(const QString&, int, int) override { return false; }
    bool ImportDeviceFile(const QString&) override { return false; }
    FrameMode GetFrameMode() const override { return FrameMode::Letter; }
    void TitleChanged(const QString&) override {}
    void ParkTablet() override {}
    void ReopenTablet() override {}

private:
    PageSettings m_settings;
    DrawingSurface m_noPage;  // no bitmap: drawing on it does nothing
};

// The same, writing the strokes as a device file exactly as the window-less view does (a new
// window at half zoom on screen), without rendering the page first.
class DeviceWriterView : public PageSettingsView {
public:
    // screen: screen pixels, the tablet's extents for a file written without an import.
    DeviceWriterView(const CLines& lines, const CRect& screen) : m_lines(lines), m_screen(screen) {}

    bool WriteDeviceFile(const QString& path) override
    {
        return ::WriteDeviceFile(path, m_lines, 0, m_lines.GetCount(),
                                 NewWindowGeometry(GetPageSettings().page, m_screen));
    }

private:
    const CLines& m_lines;
    CRect m_screen;
};
