#pragma once
// The program's bars and pen-width popup, made offscreen in the look in use (the compact one
// while the replacement bundle is loaded) over a new page, for the pictures of the manual. No
// window is ever shown: the bars stand in a parent that stays hidden, and each picture lays
// them out for a mode and draws them as the program would.

#include "BarPicture.h"

#include "document/CScrivaDoc.h"
#include "platform/FrameMode.h"

#include <QImage>
#include <QWidget>

#include <memory>

class CCommandBar;
class CPaletteBar;
class CScrivaView;

class ManualBars {
public:
    ManualBars();
    ~ManualBars();
    ManualBars(const ManualBars&) = delete;  // the bars belong to one hidden parent
    ManualBars& operator=(const ManualBars&) = delete;

    // The bars laid out for mode, their buttons numbered; narrow picks the low letter band of
    // screens too narrow for the wide one.
    BarPicture CommandBar(FrameMode mode);
    BarPicture PaletteBar(FrameMode mode, bool narrow = false);
    // The popup as it opens for the pencil at its width on a new page, offering the others.
    BarPicture PenWidthPopup();

    // The bars as the program shows them, unnumbered, at their backgrounds' full size.
    QImage CommandBarImage(FrameMode mode);
    QImage PaletteBarImage(FrameMode mode);
    // The page buffer of the new page, page pixels.
    QImage PageImage() const;

private:
    void LayOutCommandBar(FrameMode mode);
    void LayOutPaletteBar(FrameMode mode, bool narrow);

    CScrivaDoc m_doc;  // outlives the view
    QWidget m_desk;    // never shown
    CScrivaView* m_view = nullptr;  // children of m_desk
    CCommandBar* m_commandBar = nullptr;
    CPaletteBar* m_paletteBar = nullptr;
};
