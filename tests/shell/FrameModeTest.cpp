// The frame's three modes as the user meets them: letter mode's maximised window, the small
// captionless frames of desktop and inking modes in the work area's corner, the questions
// before a written page is dropped, and what a display change does.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/Resources.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/dialogs/CAboutDlg.h"
#include "shell/bars/CCommandBar.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "shell/frame/CMainFrame.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/bars/CPenWidthPopup.h"
#include "shell/dialogs/CCaptureControlDlg.h"
#include "platform/ScreenGrab.h"
#include "canvas/CScreenOverlay.h"
#include "canvas/LatencyMeter.h"
#include "shell/tables/StringTable.h"
#include "tablet/TabletBinding.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

// Records what the frame asks of the overlay desktop mode writes on.
class RecordingOverlay : public IWritingOverlay {
public:
    bool ShowSnapshotOverlay() override
    {
        ++shown;
        return true;
    }
    void HideOverlay() override { ++hidden; }
    void RepaintFromBackBuffer() override {}
    int shown = 0;
    int hidden = 0;
};

class FrameModeTest : public ::testing::Test {
protected:
    FrameModeTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        StringTable::Instance().Load(QStringLiteral("en"));
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_doc.OnNewDocument();
        m_frame->ShowMaximized();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }
    ~FrameModeTest() override
    {
        m_frame.reset();
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    // A frame made afresh with the mouse as the pen, so that it opens a tablet context.
    void ReopenWithMousePen()
    {
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
        m_frame.reset();
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_frame->ShowMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    CMainFrame& Frame() { return *m_frame; }
    CPaletteBar& Palette() { return *m_frame->PaletteBar(); }
    CCommandBar& Commands() { return *m_frame->CommandBar(); }
    CScrivaView& View() { return *m_frame->View(); }

    std::set<UINT> PaletteShown()
    {
        std::set<UINT> shown;
        for (UINT command : CPaletteBar::kCommands)
            if (!Palette().Button(command)->isHidden())
                shown.insert(command);
        return shown;
    }
    // Writes something, as the pen would.
    void Write()
    {
        View().SetHasInk(true);
        m_doc.SetModifiedFlag();
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    RecordingOverlay m_overlay;
};

}  // namespace

TEST_F(FrameModeTest, inking_mode_is_a_small_topmost_frame_in_the_work_area_corner)
{
    Frame().OnInkingMode();
    EXPECT_EQ(Frame().Mode(), FrameMode::Inking);
    EXPECT_EQ(View().GetFrameMode(), FrameMode::Inking);
    EXPECT_TRUE(Frame().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(Frame().windowFlags() & Qt::WindowStaysOnTopHint);

    const QSize commandBar = Commands().GetBarRect(false).size();
    const QSize expected(commandBar.width(), commandBar.height() + Palette().GetBarRect(false).height());
    EXPECT_EQ(Frame().size(), expected);
    EXPECT_EQ(expected, QSize(629, 116));
    const CRect work = ScreenMetrics::WorkArea();
    EXPECT_EQ(Frame().geometry().topLeft(), QPoint(work.right - expected.width(), work.bottom - expected.height()));
    EXPECT_TRUE(View().isHidden());

    // The pen tools, undo and redo; no close or minimise on this bar in the default look.
    EXPECT_EQ(PaletteShown(), (std::set<UINT>{IDC_PENCIL, IDC_BRUSH, IDC_MARKER, IDC_ERASER, IDC_UNDO, IDC_REDO}));
    EXPECT_TRUE(Palette().LineHeightArrows()->isHidden());
    EXPECT_TRUE(Palette().PageColorRect().isEmpty());
    EXPECT_FALSE(Commands().GetButton(CCommandBar::kStartWrite)->isHidden());
    EXPECT_EQ(Palette().SwatchRect(0).topLeft(), QPoint(301, 13));
    EXPECT_EQ(Palette().SwatchRect(6).topLeft(), QPoint(301, 41));

    // Every part stays inside the bar.
    const QRect bar = Palette().GetBarRect(false);
    for (UINT command : PaletteShown())
        EXPECT_TRUE(bar.contains(Palette().Button(command)->geometry())) << command;
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        EXPECT_TRUE(bar.contains(Palette().SwatchRect(i))) << i;
}

TEST_F(FrameModeTest, letter_mode_comes_back_maximised_with_its_full_bars)
{
    Frame().OnInkingMode();
    Frame().OnLetterMode();
    EXPECT_EQ(Frame().Mode(), FrameMode::Letter);
    EXPECT_FALSE(Frame().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(Frame().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(View().isHidden());
    EXPECT_EQ(Palette().height(), 85);
    for (UINT command : CPaletteBar::kCommands) {
        const bool hidden = command == ID_APP_EXIT || command == IDC_MINIMIZE;
        EXPECT_EQ(Palette().Button(command)->isHidden(), hidden) << command;
    }
    EXPECT_GT(Frame().width(), 629);
}

TEST_F(FrameModeTest, desktop_mode_asks_before_dropping_a_written_page)
{
    Frame().SetWritingOverlay(&m_overlay);
    Write();
    m_prompts.QueueAnswer(IDNO);
    Frame().OnDesktopMode();
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, LoadString(IDS_DESKTOP_MODE_LOSES_DATA));
    EXPECT_EQ(Frame().Mode(), FrameMode::Letter);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_overlay.shown, 0);

    m_prompts.QueueAnswer(IDYES);
    Frame().OnDesktopMode();
    EXPECT_EQ(Frame().Mode(), FrameMode::Desktop);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_overlay.shown, 1);
    EXPECT_TRUE(Frame().windowFlags() & Qt::WindowStaysOnTopHint);
    // Desktop mode has a close button on the palette bar.
    EXPECT_FALSE(Palette().Button(ID_APP_EXIT)->isHidden());
}

TEST_F(FrameModeTest, blank_pages_switch_without_a_question)
{
    Frame().SetWritingOverlay(&m_overlay);
    m_doc.SetModifiedFlag();  // modified, but nothing written on the page
    Frame().OnDesktopMode();
    EXPECT_EQ(Frame().Mode(), FrameMode::Desktop);
    EXPECT_TRUE(m_doc.IsModified());  // desktop mode keeps a blank note as it is

    Frame().OnLetterMode();
    EXPECT_EQ(Frame().Mode(), FrameMode::Letter);
    EXPECT_FALSE(m_doc.IsModified());  // letter mode starts it afresh
    EXPECT_TRUE(m_prompts.Messages().empty());
    EXPECT_EQ(m_overlay.hidden, 1);
}

TEST_F(FrameModeTest, letter_mode_question_answered_no_keeps_everything)
{
    Frame().OnInkingMode();
    Write();
    m_prompts.QueueAnswer(IDNO);
    Frame().OnLetterMode();
    EXPECT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(Frame().Mode(), FrameMode::Inking);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_TRUE(View().HasInkFlag());
}

TEST_F(FrameModeTest, desktop_mode_takes_the_pencil_from_the_picture_tool)
{
    Frame().SetWritingOverlay(&m_overlay);
    Frame().OnCommand(IDC_MOVE_PICTURE);
    ASSERT_EQ(View().Tool(), CScrivaView::kToolNone);
    Frame().OnDesktopMode();
    EXPECT_EQ(View().Tool(), CScrivaView::kPencil);
}

TEST_F(FrameModeTest, commands_without_a_way_to_run_show_disabled)
{
    CHoverBitmapButton* desktop = Commands().ButtonFor(ID_DESKTOP_MODE);
    EXPECT_FALSE(desktop->isEnabled());
    EXPECT_FALSE(Frame().OnCommand(ID_DESKTOP_MODE));
    EXPECT_EQ(Frame().Mode(), FrameMode::Letter);
    EXPECT_TRUE(Commands().ButtonFor(ID_FILE_PRINT)->isEnabled());  // prints to a PDF file without a printer
    EXPECT_TRUE(Commands().ButtonFor(ID_FILE_SAVE)->isEnabled());

    Frame().SetWritingOverlay(&m_overlay);
    EXPECT_TRUE(desktop->isEnabled());
    EXPECT_TRUE(Frame().OnCommand(ID_DESKTOP_MODE));
    EXPECT_EQ(Frame().Mode(), FrameMode::Desktop);
}

TEST_F(FrameModeTest, pen_width_popup_opens_above_the_command_bar_outside_letter_mode)
{
    Frame().OnInkingMode();
    QTest::qWait(20);
    CHoverBitmapButton* brush = Commands().GetButton(CCommandBar::kBrushWidth);
    ASSERT_FALSE(brush->isHidden());
    QTest::mouseClick(brush, Qt::LeftButton, {}, QPoint(4, 4));
    CPenWidthPopup* popup = Palette().PenWidthPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Tool(), CScrivaView::kBrush);
    ASSERT_TRUE(QTest::qWaitFor([popup] { return !popup->IsAnimating(); }, 1000));
    const QPoint anchor = brush->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(popup->mapToGlobal(QPoint(0, popup->height())), anchor);
}

TEST_F(FrameModeTest, narrow_screen_switches_the_letter_palette_once)
{
    EXPECT_FALSE(Palette().IsSmallScreen());
    Frame().OnDisplayChange(QSize(640, 480));
    EXPECT_TRUE(Palette().IsSmallScreen());
    EXPECT_EQ(Palette().GetBarRect(false).size(), QSize(2048, 55));
    EXPECT_EQ(Palette().height(), 55);
    EXPECT_TRUE(View().TabletReopenPending());

    // Everything the small band shows stays left of the 640-pixel screen edge.
    for (UINT command : PaletteShown())
        EXPECT_LE(Palette().Button(command)->geometry().right(), 639) << command;
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        EXPECT_LE(Palette().SwatchRect(i).right(), 639) << i;

    Frame().OnDisplayChange(QSize(640, 480));
    EXPECT_TRUE(Palette().IsSmallScreen());
    Frame().OnDisplayChange(QSize(1024, 768));
    EXPECT_FALSE(Palette().IsSmallScreen());
    EXPECT_EQ(Palette().height(), 85);
}

TEST_F(FrameModeTest, screens_too_narrow_for_the_wide_band_get_the_narrow_one)
{
    for (const int width : {800, 960}) {
        Frame().OnDisplayChange(QSize(width, 600));
        EXPECT_TRUE(Palette().IsSmallScreen()) << width;
        for (UINT command : {IDC_PREV_PAGE, IDC_NEXT_PAGE, IDC_SPLIT, IDC_MERGE})
            EXPECT_FALSE(Palette().Button(command)->isHidden()) << width << " " << command;
        for (UINT command : PaletteShown())
            EXPECT_LE(Palette().Button(command)->geometry().right(), width - 1) << width << " " << command;
    }
    Frame().OnDisplayChange(QSize(1024, 768));
    EXPECT_FALSE(Palette().IsSmallScreen());

    // A frame that opens on an 800 x 600 screen starts with the narrow band.
    m_frame.reset();
    ScreenMetrics::SetFixedScreen(QSize(800, 600));
    m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
    EXPECT_TRUE(Palette().IsSmallScreen());
}

TEST_F(FrameModeTest, back_in_letter_mode_the_page_has_the_keyboard_again)
{
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    ASSERT_TRUE(View().hasFocus());
    Frame().OnDesktopMode();
    Frame().OnLetterMode();
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    EXPECT_TRUE(View().hasFocus());
}

TEST_F(FrameModeTest, display_change_outside_letter_mode_only_reopens_the_tablet)
{
    Frame().OnInkingMode();
    Frame().OnDisplayChange(QSize(640, 480));
    EXPECT_TRUE(View().TabletReopenPending());
    EXPECT_FALSE(Palette().IsSmallScreen());
    EXPECT_EQ(Palette().height(), 63);
}

TEST_F(FrameModeTest, the_small_frame_is_dragged_by_its_palette_bar)
{
    Frame().OnInkingMode();
    QTest::qWait(20);
    const QPoint start = Frame().pos();
    const QPoint bare(Palette().width() - 60, 5);  // right of the swatches, no button
    const QPoint pressed = Palette().mapToGlobal(bare);
    QTest::mousePress(&Palette(), Qt::LeftButton, {}, bare);
    QTest::mouseMove(&Palette(), bare + QPoint(10, 0));
    EXPECT_EQ(Frame().pos(), start + QPoint(10, 0));  // a straight move counts too
    // The mouse 12 right of and 7 above where it was pressed, on a bar that has moved since.
    const QPoint end = Palette().mapFromGlobal(pressed + QPoint(12, -7));
    QTest::mouseMove(&Palette(), end);
    QTest::mouseRelease(&Palette(), Qt::LeftButton, {}, end);
    EXPECT_EQ(Frame().pos(), start + QPoint(12, -7));
}

TEST_F(FrameModeTest, page_colour_is_only_chosen_in_letter_mode_and_a_cancel_does_not_drag)
{
    Frame().OnInkingMode();
    QTest::qWait(20);
    const QPoint start = Frame().pos();
    m_prompts.QueueColor(std::nullopt);
    QTest::mouseClick(&Palette(), Qt::LeftButton, {}, Palette().PenColorRect().center());
    EXPECT_EQ(m_prompts.ColorDialogs(), 1);
    QTest::mouseMove(&Palette(), Palette().PenColorRect().center() + QPoint(9, 9));
    EXPECT_EQ(Frame().pos(), start);

    m_prompts.QueueColor(COLORREF(0x112233));
    QTest::mouseClick(&Palette(), Qt::LeftButton, {}, Palette().PenColorRect().center());
    EXPECT_EQ(View().PenColor(), 0x112233u);
    // The shared chooser opens with the colour last chosen in it.
    EXPECT_EQ(Palette().LastChosenColor(), 0x112233u);
}

namespace {

// The frame made with the replacement bundle installed in the data folder and asked for in the
// settings, as a user would set it up.
class CompactFrameTest : public FrameModeTest {
protected:
    CompactFrameTest()
    {
        m_frame.reset();
        QDir(m_data.path()).mkpath(QStringLiteral("inkleaf"));
        EXPECT_TRUE(QFile::copy(QStringLiteral(INKLEAF_BUNDLE), m_data.filePath(QStringLiteral("inkleaf/IlfRes.rcc"))));
        m_oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
        WriteSetting(Settings::NewInterface, QStringLiteral("12"));
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_frame->ShowMaximized();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }
    ~CompactFrameTest() override
    {
        m_frame.reset();
        qputenv("XDG_DATA_HOME", m_oldData);
    }

    QTemporaryDir m_data;
    QByteArray m_oldData;
};

}  // namespace

TEST_F(CompactFrameTest, the_bundle_gives_lower_bars_and_its_own_layouts)
{
    ASSERT_TRUE(Resources::UsingResourceLibrary());
    EXPECT_TRUE(Palette().IsCompact());
    EXPECT_EQ(Commands().height(), 40);
    EXPECT_EQ(Palette().height(), 64);
    EXPECT_EQ(Palette().Button(IDC_PENCIL)->size(), QSize(26, 26));
    // Its own, shorter strings; the rest from the program's tables.
    EXPECT_EQ(Commands().ButtonFor(ID_FILE_NEW)->toolTip(), "New");
    EXPECT_EQ(Palette().Button(IDC_PENCIL)->toolTip(), "Pencil");

    Frame().OnInkingMode();
    EXPECT_EQ(Frame().size(), QSize(480, 90));
    // The window buttons move from the command bar to the palette bar.
    EXPECT_TRUE(Commands().ButtonFor(ID_APP_EXIT)->isHidden());
    EXPECT_TRUE(Commands().ButtonFor(IDC_MINIMIZE)->isHidden());
    EXPECT_FALSE(Palette().Button(ID_APP_EXIT)->isHidden());
    EXPECT_FALSE(Palette().Button(IDC_MINIMIZE)->isHidden());
    Frame().ShowWriteOverButtons();
    EXPECT_TRUE(Palette().Button(IDC_MINIMIZE)->isHidden());
    EXPECT_TRUE(Commands().ButtonFor(IDC_MINIMIZE)->isHidden());
    Frame().ShowIdleButtons();
    EXPECT_FALSE(Palette().Button(IDC_MINIMIZE)->isHidden());
    EXPECT_TRUE(Commands().ButtonFor(IDC_MINIMIZE)->isHidden());

    const QRect bar = Palette().GetBarRect(false);
    for (UINT command : PaletteShown())
        EXPECT_TRUE(bar.contains(Palette().Button(command)->geometry())) << command;
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        EXPECT_TRUE(bar.contains(Palette().SwatchRect(i))) << i;
}

TEST_F(CompactFrameTest, the_compact_band_narrows_only_where_it_does_not_fit)
{
    for (const auto& [width, narrow] : {std::pair{800, false}, std::pair{720, true}}) {
        Frame().OnDisplayChange(QSize(width, 600));
        EXPECT_EQ(Palette().IsSmallScreen(), narrow) << width;
        for (UINT command : PaletteShown())
            EXPECT_LE(Palette().Button(command)->geometry().right(), width - 1) << width << " " << command;
        for (int i = 0; i < Settings::kColorBlocks; ++i)
            EXPECT_LE(Palette().SwatchRect(i).right(), width - 1) << width << " " << i;
    }
}

TEST_F(CompactFrameTest, closing_the_frame_lets_the_bundle_go)
{
    ASSERT_TRUE(Resources::UsingResourceLibrary());
    m_frame.reset();
    EXPECT_FALSE(Resources::UsingResourceLibrary());
    EXPECT_EQ(LoadString(ID_FILE_NEW), "New (Ctrl+N)");
}

TEST_F(FrameModeTest, a_missing_bundle_leaves_the_default_look)
{
    m_frame.reset();
    WriteSetting(Settings::NewInterface, QStringLiteral("1"));
    m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
    EXPECT_FALSE(Resources::UsingResourceLibrary());
    EXPECT_EQ(Palette().height(), 85);
    EXPECT_EQ(Commands().ButtonFor(ID_FILE_NEW)->toolTip(), TooltipOf(LoadString(ID_FILE_NEW)));
}

TEST_F(FrameModeTest, start_to_write_hint_covers_no_swatch_and_steps_aside_for_the_about_box)
{
    Frame().OnInkingMode();
    CBalloonTip& hint = Commands().HintTip();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hint.isVisible(); }, 1000));
    const QRect palette(Palette().mapToGlobal(QPoint(0, 0)), Palette().size());
    EXPECT_FALSE(hint.geometry().intersects(palette));
    for (int i = 0; i < Settings::kColorBlocks; ++i) {
        const QRect swatch(Palette().mapToGlobal(Palette().SwatchRect(i).topLeft()), Palette().SwatchRect(i).size());
        EXPECT_FALSE(hint.geometry().intersects(swatch)) << i;
    }
    const CHoverBitmapButton* start = Commands().ButtonFor(ID_START_WRITE);
    EXPECT_TRUE(QRect(start->mapToGlobal(QPoint(0, 0)), start->size()).contains(hint.pos() + hint.StemTip()));

    CAboutDlg about(&Frame());
    about.show();
    EXPECT_FALSE(hint.isVisible());
    about.hide();
    EXPECT_TRUE(hint.isVisible());
}

TEST_F(FrameModeTest, window_buttons_of_the_inking_frame_minimise_scale_and_close)
{
    Frame().OnInkingMode();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Commands().HintTip().isVisible(); }, 1000));  // the hint comes up
    QTest::mouseClick(Commands().ButtonFor(IDC_MINIMIZE), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_TRUE(Frame().isMinimized());
    EXPECT_FALSE(Commands().HintTip().isVisible());

    Frame().showNormal();
    QTest::mouseClick(Commands().ButtonFor(IDC_SCALE), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_TRUE(Frame().isMaximized());

    // Close asks about a written note like any other way out.
    Write();
    m_prompts.QueueAnswer(IDCANCEL);
    QTest::mouseClick(Commands().ButtonFor(ID_APP_EXIT), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_TRUE(Frame().isVisible());
}

TEST_F(FrameModeTest, after_a_display_change_the_pen_writes_on_and_an_inking_launch_gets_its_context_back)
{
    ASSERT_NO_FATAL_FAILURE(ReopenWithMousePen());
    ASSERT_NE(View().TabletContext(), 0);

    // The stroke that follows a display change is written whole.
    Frame().OnDisplayChange(QSize(1024, 768));
    const CRect view = View().ScreenRect();
    DWORD time = 1000;
    for (int i = 0; i <= 10; ++i)
        TabletBinding::Instance().QueuePacket({time += 5, i == 0 ? MakeButtons(0, TBN_DOWN) : 0,
                                               view.left + 400 + i * 10, view.top + 200, 700});
    TabletBinding::Instance().QueuePacket({time += 5, MakeButtons(0, TBN_UP), view.left + 500, view.top + 200, 0});
    QCoreApplication::sendPostedEvents(&View());
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPointCount(), 11);

    // An inking launch lets go of the pen at a display change and takes it up again.
    m_frame.reset();
    m_frame = std::make_unique<CMainFrame>(m_doc, "INKING", [](UINT) { return false; });
    Frame().MakeInkingFrame();
    ASSERT_NE(View().TabletContext(), 0);
    Frame().OnDisplayChange(QSize(1024, 768));
    EXPECT_EQ(View().TabletContext(), 0);
    EXPECT_TRUE(QTest::qWaitFor([this] { return View().TabletContext() != 0; }, 5000));
    EXPECT_FALSE(View().TabletReopenPending());
    TabletBinding::Instance().SetMousePen(false);
}

namespace {

// Scripted dialogs that also note, at each one, whether the pen was parked while it showed.
class ParkWatchingPrompts : public ScriptedPrompts {
public:
    explicit ParkWatchingPrompts(const CScrivaView& view) : m_view(view) {}
    int MessageBox(const QString& text, const QString& caption, UINT type) override
    {
        parked.push_back(m_view.IsTabletParked() && m_view.TabletContext() == 0);
        return ScriptedPrompts::MessageBox(text, caption, type);
    }
    QString GetFileName(const FileDialogRequest& request) override
    {
        parked.push_back(m_view.IsTabletParked() && m_view.TabletContext() == 0);
        return ScriptedPrompts::GetFileName(request);
    }
    std::optional<COLORREF> ChooseColor(COLORREF initial) override
    {
        parked.push_back(m_view.IsTabletParked() && m_view.TabletContext() == 0);
        return ScriptedPrompts::ChooseColor(initial);
    }
    std::vector<bool> parked;

private:
    const CScrivaView& m_view;
};

}  // namespace

TEST_F(FrameModeTest, every_flow_with_a_dialog_parks_the_pen_in_letter_mode_too)
{
    ASSERT_NO_FATAL_FAILURE(ReopenWithMousePen());
    ASSERT_NE(View().TabletContext(), 0);
    ParkWatchingPrompts prompts(View());

    Frame().OnCommand(ID_FILE_OPEN);
    Frame().OnCommand(ID_FILE_SAVE);
    Frame().OnCommand(IDC_LINE_COLOR);
    Frame().OnCommand(IDC_INSERT_IMAGE);
    QTest::mouseClick(&Palette(), Qt::LeftButton, {}, Palette().PenColorRect().center());
    Frame().SetWritingOverlay(&m_overlay);
    Write();
    prompts.QueueAnswer(IDNO);
    Frame().OnDesktopMode();
    EXPECT_EQ(prompts.parked, std::vector<bool>(6, true));

    // The split dialog is the frame's own.
    auto line = std::make_unique<CLine>();
    line->AddPoint(10, 10, 100);
    line->AddPoint(50, 50, 100);
    m_doc.m_lines.Add(std::move(line));
    ASSERT_TRUE(m_doc.OnSaveDocument(m_dir.filePath("note.Ilf")));
    bool splitParked = false;
    QTimer::singleShot(0, [&] {
        splitParked = View().IsTabletParked() && View().TabletContext() == 0;
        Frame().SplitDialog()->reject();
    });
    Frame().OnCommand(IDC_SPLIT);
    EXPECT_TRUE(splitParked);

    // Afterwards the pen has its context again.
    EXPECT_FALSE(View().IsTabletParked());
    EXPECT_NE(View().TabletContext(), 0);
    TabletBinding::Instance().SetMousePen(false);
}

namespace {

// The screen as a plain picture, or a refusal when there is none.
class PlainGrab : public IScreenGrab {
public:
    explicit PlainGrab(QRgb colour, bool refuse = false) : m_colour(colour), m_refuse(refuse) {}
    ScreenGrabResult Grab() override
    {
        if (m_refuse)
            return ScreenGrabResult::Failure(QStringLiteral("No picture of the screen today."));
        QImage image(1024, 768, QImage::Format_RGB32);
        image.fill(m_colour);
        return {image, QPoint(), QString()};
    }

private:
    QRgb m_colour;
    bool m_refuse;
};

}  // namespace

TEST_F(FrameModeTest, a_screen_that_cannot_be_taken_leaves_letter_mode_and_the_note_as_they_were)
{
    Frame().UseViewOverlay();
    View().SetScreenGrab(std::make_unique<PlainGrab>(0, true));
    Write();
    m_prompts.QueueAnswer(IDYES);
    Frame().OnCommand(ID_DESKTOP_MODE);
    EXPECT_EQ(Frame().Mode(), FrameMode::Letter);
    EXPECT_EQ(View().GetFrameMode(), FrameMode::Letter);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_TRUE(View().HasInkFlag());
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_FALSE(Frame().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(View().IsOverlayShown());
    ASSERT_EQ(m_prompts.Messages().size(), 2u);
    EXPECT_EQ(m_prompts.Messages()[0].text, LoadString(IDS_DESKTOP_MODE_LOSES_DATA));
    EXPECT_EQ(m_prompts.Messages()[1].text, QStringLiteral("No picture of the screen today."));

    // With the screen at hand the same command freezes it under the small frame.
    View().SetScreenGrab(std::make_unique<PlainGrab>(qRgb(0, 128, 0)));
    Frame().OnCommand(ID_DESKTOP_MODE);
    EXPECT_EQ(Frame().Mode(), FrameMode::Desktop);
    EXPECT_FALSE(View().HasInkFlag());
    EXPECT_TRUE(View().IsOverlayShown());
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(View().DesktopSnapshot().GetPixel(500, 300), RGB(0, 128, 0));

    // Letter mode puts the overlay away with its picture.
    Frame().OnCommand(ID_LETTER_MODE);
    EXPECT_EQ(Frame().Mode(), FrameMode::Letter);
    EXPECT_FALSE(View().IsOverlayShown());
    EXPECT_TRUE(View().DesktopSnapshot().IsNull());
}

TEST_F(FrameModeTest, capture_screen_hides_the_frame_for_the_panel_whose_start_freezes_the_screen)
{
    Frame().UseViewOverlay();
    View().SetScreenGrab(std::make_unique<PlainGrab>(qRgb(255, 255, 255)));
    ASSERT_TRUE(Palette().Button(IDC_CAPTURE_SCREEN)->isEnabled());
    // Without a tablet context the selection could not be made: nothing happens.
    View().CloseTabletContext();
    Frame().OnCommand(IDC_CAPTURE_SCREEN);
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(Frame().CaptureControl(), nullptr);

    TabletBinding::Instance().SetMousePen(true);
    TabletBinding::Instance().LoadTabletInterface(true);
    View().OpenTablet();
    ASSERT_NE(View().TabletContext(), 0);
    Frame().OnCommand(IDC_CAPTURE_SCREEN);
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(View().ViewMode(), 1);
    CCaptureControlDlg* panel = Frame().CaptureControl();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());

    // Exit brings the frame back; the panel's Start freezes and tints the screen.
    panel->OnCancel();
    EXPECT_TRUE(Frame().isVisible());
    Frame().OnCommand(IDC_CAPTURE_SCREEN);
    panel->OnStartCapture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->IsCapturePending(); }, 2000));
    EXPECT_EQ(View().ViewMode(), 2);
    EXPECT_TRUE(View().IsOverlayShown());
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(View().Overlay().WindowSurface().GetPixel(10, 10), RGB(128, 128, 255));
    View().CloseOverlay();
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(View().ViewMode(), 0);
    TabletBinding::Instance().SetMousePen(false);
}

TEST_F(FrameModeTest, the_overlay_shows_the_bars_where_the_frame_stands_until_the_pen_comes_onto_them)
{
    Frame().UseViewOverlay();
    View().SetScreenGrab(std::make_unique<PlainGrab>(qRgb(0, 128, 0)));
    Frame().OnCommand(ID_DESKTOP_MODE);
    ASSERT_TRUE(View().IsOverlayShown());
    CScreenOverlay& overlay = View().Overlay();
    // The pen clicks the overlay away from the frame: it is active now, and keeps a picture of
    // the frame to show where the frame stands, should the overlay come up over it.
    TabletBinding::Instance().QueuePacket({1, 0, 100, 100, 0});
    overlay.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return overlay.isActiveWindow(); }, 2000));
    ASSERT_FALSE(overlay.FramePicture().IsNull());
    overlay.update();
    QCoreApplication::processEvents();
    const QRect frame = Frame().frameGeometry();
    const QImage bars = Frame().grab().toImage();
    const QPoint inside = frame.topLeft() + QPoint(frame.width() - 8, 8);
    EXPECT_EQ(overlay.WindowSurface().GetPixel(inside.x(), inside.y()),
              QRgbToColorRef(bars.pixel(frame.width() - 8, 8)));
    EXPECT_NE(overlay.WindowSurface().GetPixel(inside.x(), inside.y()), RGB(0, 128, 0));
    EXPECT_EQ(overlay.WindowSurface().GetPixel(frame.left() - 10, frame.top() + 8), RGB(0, 128, 0));
    EXPECT_FALSE(overlay.IsFrameEntered());

    // The pen moves onto the frame: the frame itself comes back on top.
    QMouseEvent move(QEvent::MouseMove, QPointF(inside), QPointF(inside), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&overlay, &move);
    EXPECT_TRUE(overlay.IsFrameEntered());
    EXPECT_TRUE(Frame().isActiveWindow() || QTest::qWaitFor([&] { return Frame().isActiveWindow(); }, 2000));
}

TEST_F(FrameModeTest, from_inking_mode_desktop_mode_freezes_the_screen_under_the_small_frame)
{
    Frame().UseViewOverlay();
    View().SetScreenGrab(std::make_unique<PlainGrab>(qRgb(0, 0, 128)));
    Frame().OnInkingMode();
    Frame().OnCommand(ID_DESKTOP_MODE);
    EXPECT_EQ(Frame().Mode(), FrameMode::Desktop);
    EXPECT_TRUE(View().IsOverlayShown());
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(View().Overlay().BackBuffer().GetPixel(20, 20), RGB(0, 0, 128));
    const CRect work = ScreenMetrics::WorkArea();
    EXPECT_EQ(Frame().geometry().bottomRight(), QPoint(work.right - 1, work.bottom - 1));
}

// The small frames have no status line: with the pen-to-screen times asked for, their balloon
// says them once the pen is up, in desktop mode and in inking mode alike.
TEST_F(FrameModeTest, the_small_frames_say_the_pen_to_screen_times_in_their_balloon_at_pen_up)
{
    ASSERT_NO_FATAL_FAILURE(ReopenWithMousePen());
    Frame().UseViewOverlay();
    View().SetScreenGrab(std::make_unique<PlainGrab>(qRgb(255, 255, 255)));
    View().SetLatencyShown(true);
    const auto stroke = [&](LONG y, int packets) {
        // Stamps of the monotonic clock, as the window system's: two seconds old.
        DWORD time = DWORD(LatencyMeter::NowMs()) - 2000;
        for (int i = 0; i < packets; ++i)
            TabletBinding::Instance().QueuePacket({time += 5, i == 0 ? MakeButtons(0, TBN_DOWN) : 0, 100 + 9 * i,
                                                   y + 3 * (i % 2), 700});
        QCoreApplication::sendPostedEvents(&View());
        TabletBinding::Instance().QueuePacket({time += 5, MakeButtons(0, TBN_UP), 100 + 9 * packets, y, 0});
        QCoreApplication::sendPostedEvents(&View());
    };
    const QRegularExpression times(QStringLiteral(R"(^Pen to screen: median (19|20)\d\d\.\d ms, p95 \d+\.\d ms \((\d+) packets\)$)"));

    Frame().OnCommand(ID_DESKTOP_MODE);
    ASSERT_EQ(Frame().Mode(), FrameMode::Desktop);
    ASSERT_TRUE(View().IsOverlayShown());
    stroke(200, 20);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_TRUE(Commands().HintTip().isVisible());
    QRegularExpressionMatch said = times.match(Commands().HintTip().Text());
    ASSERT_TRUE(said.hasMatch()) << Commands().HintTip().Text().toStdString();
    EXPECT_EQ(said.captured(2), QStringLiteral("20"));

    View().HideOverlay();
    Frame().OnInkingMode();
    Commands().HideHint();
    View().OnStartToWrite();
    ASSERT_TRUE(View().IsWritingOver());
    stroke(300, 10);
    EXPECT_TRUE(Commands().HintTip().isVisible());
    said = times.match(Commands().HintTip().Text());
    ASSERT_TRUE(said.hasMatch()) << Commands().HintTip().Text().toStdString();
    EXPECT_EQ(said.captured(2), QStringLiteral("30"));
    TabletBinding::Instance().SetMousePen(false);
}
