#pragma once
// A view of a note without a window: the page buffer rendered exactly as on screen, for the
// command-line tool. It scrolls nowhere, has no tablet and shows titles to nobody.

#include "CanvasPage.h"

#include "document/CScrivaDoc.h"

class HeadlessView : public IDocumentView {
public:
    // What the view holds before the document gives it a page: a new ruled page, or nothing
    // when a note is opened at once (the page is made at the note's size then).
    enum class Start { NewPage, OpeningNote };

    // The page geometry follows a screen of this size; settings from settingsFile.
    HeadlessView(CScrivaDoc& document, const CRect& screen, const QString& settingsFile, Start start = Start::NewPage);

    CanvasPage& Page() { return m_page; }
    bool HasInk() const { return m_hasInk; }

    PageSettings GetPageSettings() const override { return m_page.GetPageSettings(); }
    void SetPageSettings(const PageSettings& settings) override { m_page.SetPageSettings(settings); }
    void DrawRuledLines(bool withContent) override { m_page.DrawRuledLines(withContent); }
    DrawingSurface& PageSurface() override { return m_page.Surface(); }
    void ResetPage() override;
    void ScrollToOrigin() override {}
    void SetHasInk(bool hasInk) override { m_hasInk = hasInk; }
    void ScheduleDeviceImport(const QString&) override {}
    void CancelDeviceImport() override {}
    // As a new window at half zoom would write it.
    bool WriteDeviceFile(const QString& path) override;
    bool WriteDeviceFile(const QString& path, int firstStroke, int endStroke) override;
    // Replaying needs the pen capture of a window: nothing is imported.
    bool ImportDeviceFile(const QString&) override { return false; }
    bool WritePdf(const QString& path) override;
    FrameMode GetFrameMode() const override { return FrameMode::Letter; }
    void TitleChanged(const QString&) override {}
    void ParkTablet() override {}
    void ReopenTablet() override {}

private:
    CScrivaDoc& m_document;
    CanvasPage m_page;
    bool m_hasInk = false;
};
