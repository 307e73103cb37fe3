#pragma once
// The program's own view of a note, on an offscreen screen of a fixed size, for the commands
// that replay device files: a device file reaches the page through the view's pen capture
// exactly as when the program imports it, and device files are written with the view's
// geometry. Needs a QApplication on the offscreen platform, and a settings folder of its own.

#include "canvas/CScrivaView.h"
#include "document/CScrivaDoc.h"
#include "platform/Rect.h"

#include <QString>

#include <memory>

class CountingPrompts;

class ReplayCanvas {
public:
    // screen: screen pixels; the view covers it from (0, 0).
    ReplayCanvas(const CRect& screen, const CountingPrompts& prompts);
    ~ReplayCanvas();
    ReplayCanvas(const ReplayCanvas&) = delete;
    ReplayCanvas& operator=(const ReplayCanvas&) = delete;

    CScrivaDoc& Document() { return m_doc; }
    CScrivaView& View() { return *m_view; }
    int StrokeCount() const { return m_doc.m_lines.GetCount(); }

    // Opens a note as File Open does, or replays a device file onto a new page. False after a
    // message.
    bool Open(const QString& path);
    // Replays the device file's strokes on top of the page. False after a message.
    bool Import(const QString& path);

private:
    const CountingPrompts& m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CScrivaView> m_view;
};
