// The screenshots of the store listing, taken on a real X server with the real mouse: letter
// mode with a few words written on the page, and the inking frame over another program's
// window. They are written into the build folder under the names the listing gives them
// (desktop/screenshots), where the install check and the publishing step find them.

#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "platform/Settings.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/frame/CMainFrame.h"
#include "tablet/TabletBinding.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const QString kFolder = QStringLiteral(INKLEAF_SCREENSHOT_FOLDER);
const QSize kMonitor(1920, 1080);  // run-in-xvfb's

// The primary monitor as the X server shows it.
QImage Screenshot()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect r = screen->geometry();
    return screen->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels of r in image close to colour: the strong middle of a line of ink of that colour.
int PixelsLike(const QImage& image, const QRect& r, QRgb colour)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - qRed(colour)) + std::abs(qGreen(p) - qGreen(colour)) +
                     std::abs(qBlue(p) - qBlue(colour)) < 60;
        }
    return n;
}

// A stroke through corners, a few mouse steps between each two, moved to origin.
std::vector<QPoint> Stroke(QPoint origin, std::initializer_list<QPoint> corners)
{
    std::vector<QPoint> path;
    const std::vector<QPoint> c(corners);
    path.push_back(origin + c.front());
    for (size_t i = 1; i < c.size(); ++i)
        for (int step = 1; step <= 4; ++step)
            path.push_back(origin + c[i - 1] + (c[i] - c[i - 1]) * step / 4);
    return path;
}

// "Inkleaf", each letter a stroke or two, 60 pixels high, from origin (the top left).
std::vector<std::vector<QPoint>> Word(QPoint o)
{
    return {
        Stroke(o, {{0, 0}, {0, 60}}),                                                      // I
        Stroke(o, {{22, 24}, {22, 60}}),                                                   // n
        Stroke(o, {{22, 34}, {32, 24}, {44, 24}, {50, 34}, {50, 60}}),
        Stroke(o, {{68, 0}, {68, 60}}),                                                    // k
        Stroke(o, {{94, 24}, {70, 42}, {96, 60}}),
        Stroke(o, {{112, 0}, {112, 60}}),                                                  // l
        Stroke(o, {{128, 44}, {156, 44}, {152, 28}, {140, 24}, {128, 32}, {126, 48}, {136, 60}, {156, 58}}),  // e
        Stroke(o, {{194, 30}, {182, 24}, {170, 32}, {168, 50}, {178, 60}, {192, 52}, {196, 24}, {196, 60}}),  // a
        Stroke(o, {{228, 4}, {218, 0}, {212, 10}, {212, 60}}),                             // f
        Stroke(o, {{202, 26}, {226, 26}}),
    };
}

class StoreScreenshotTest : public ::testing::Test {
protected:
    StoreScreenshotTest()
    {
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
        QDir().mkpath(kFolder);
    }
    ~StoreScreenshotTest() override
    {
        m_frame.reset();
        TabletBinding::Instance().SetMousePen(false);
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

TEST_F(StoreScreenshotTest, letter_mode_with_words_written_on_the_page)
{
    ASSERT_TRUE(X11Desk::Available());
    m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
    m_doc.OnNewDocument();
    m_frame->ShowMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    X11Desk::Settle(300);

    // The word in the pen's first colour, a wave under it in the palette's red (swatch 0),
    // picked with the mouse as a user would.
    const CRect view = m_frame->View()->ScreenRect();
    const QPoint word((view.left + view.right) / 2 - 120, view.top + 160);
    size_t strokes = 0;
    for (const std::vector<QPoint>& stroke : Word(word)) {
        ASSERT_TRUE(X11Desk::Drag(stroke));
        ++strokes;
    }
    const CPaletteBar* palette = m_frame->PaletteBar();
    ASSERT_TRUE(X11Desk::Click(palette->mapToGlobal(palette->SwatchRect(0).center())));
    std::vector<QPoint> wave;
    for (int x = 0; x <= 240; x += 10)
        wave.push_back(word + QPoint(x - 4, 84 + ((x / 10) % 2 ? 6 : -6)));
    ASSERT_TRUE(X11Desk::Drag(wave));
    ++strokes;
    EXPECT_EQ(size_t(m_doc.m_lines.GetCount()), strokes);

    const QImage shot = Screenshot();
    ASSERT_EQ(shot.size(), kMonitor);
    // The writing shows on the page in both colours: dark blue letters, a red wave.
    const QRect page(word - QPoint(20, 20), QSize(300, 130));
    EXPECT_GT(PixelsLike(shot, page, qRgb(0, 0, 128)), 300);
    EXPECT_GT(PixelsLike(shot, page, qRgb(255, 0, 0)), 100);
    EXPECT_TRUE(shot.save(kFolder + QStringLiteral("/letter-mode.png")));
}

TEST_F(StoreScreenshotTest, inking_frame_over_another_programs_window)
{
    ASSERT_TRUE(X11Desk::Available());
    // A desktop's colour instead of the bare server's black.
    ASSERT_TRUE(X11Desk::Run(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), QStringLiteral("#3b5e7e")}));
    // The program to write over: a letter in a text editor's window.
    QPlainTextEdit letter;
    letter.setWindowTitle(QStringLiteral("Letter"));
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(22);
    letter.setFont(font);
    letter.setPlainText(QStringLiteral(
        "Dear Ann,\n\nthank you for the drawings of the garden. The plan for the new beds is "
        "lovely, and I have marked on it where the morning sun falls.\n\nShall we meet on "
        "Saturday to choose the plants?\n\nBest wishes,\nTom"));
    letter.setGeometry(160, 90, 1200, 760);
    letter.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&letter));

    m_frame = std::make_unique<CMainFrame>(m_doc, "INKING", [](UINT) { return false; });
    m_frame->MakeInkingFrame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    // The "Start to write" hint comes up over the frame.
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_frame->CommandBar()->HintTip().isVisible(); }, 3000));
    X11Desk::Settle(500);

    const QImage shot = Screenshot();
    ASSERT_EQ(shot.size(), kMonitor);
    // The frame stands in the bottom-right corner, on top: the screen there is the frame as
    // it draws itself.
    const QRect frame = m_frame->frameGeometry();
    EXPECT_EQ(frame.bottomRight(), QPoint(kMonitor.width() - 1, kMonitor.height() - 1));
    const QImage drawn = m_frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(drawn.size(), frame.size());
    int same = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            same += shot.pixel(frame.topLeft() + QPoint(x, y)) == drawn.pixel(x, y);
    EXPECT_GT(same, drawn.width() * drawn.height() * 9 / 10);
    // And the other program's window shows beside it.
    EXPECT_EQ(shot.pixel(letter.mapToGlobal(QPoint(1100, 700))), qRgb(255, 255, 255));
    EXPECT_TRUE(shot.save(kFolder + QStringLiteral("/inking-mode.png")));
}
