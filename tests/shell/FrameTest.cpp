// The main frame with its view and note, as the program builds it.

#include "DeviceFileBytes.h"
#include "QtPrinting.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/bars/CCommandBar.h"
#include "shell/frame/CMainFrame.h"
#include "shell/app/RecentFileList.h"
#include "shell/launch/SingleInstance.h"
#include "shell/widgets/WindowShape.h"

#include <QFile>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLocalSocket>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FrameTest : public ::testing::Test {
protected:
    FrameTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [this](UINT id) {
            m_appCommands.push_back(id);
            return id == ID_FILE_NEW;
        });
        m_doc.OnNewDocument();
        m_frame->ShowMaximized();
        m_frame->activateWindow();
        QApplication::setActiveWindow(m_frame.get());
    }
    ~FrameTest() override { ScreenMetrics::SetFixedScreen(std::nullopt); }

    void Press(Qt::Key key) { QTest::keyClick(m_frame->View()->viewport(), key, Qt::ControlModifier); }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::vector<UINT> m_appCommands;
};

}  // namespace

TEST_F(FrameTest, accelerators_reach_the_view_the_document_and_the_application)
{
    Press(Qt::Key_O);  // the document's open dialog
    ASSERT_EQ(m_prompts.FileDialogs().size(), 1u);
    EXPECT_FALSE(m_prompts.FileDialogs()[0].save);
    EXPECT_EQ(m_prompts.FileDialogs()[0].filter, CScrivaDoc::kOpenFilter);
    Press(Qt::Key_S);
    ASSERT_EQ(m_prompts.FileDialogs().size(), 2u);
    EXPECT_TRUE(m_prompts.FileDialogs()[1].save);
    Press(Qt::Key_N);
    EXPECT_EQ(m_appCommands, (std::vector<UINT>{ID_FILE_NEW}));

    auto line = std::make_unique<CLine>();
    line->SetPenType(2, 1);
    line->AddPoint(10, 10, 100);
    line->AddPoint(50, 50, 100);
    m_doc.m_lines.Add(std::move(line));
    Press(Qt::Key_Z);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    Press(Qt::Key_Y);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);

    Press(Qt::Key_Plus);
    EXPECT_EQ(m_frame->View()->Zoom(), 1.0f);
    Press(Qt::Key_Minus);
    EXPECT_EQ(m_frame->View()->Zoom(), 0.5f);
}

TEST_F(FrameTest, caption_follows_the_note_and_the_frame_has_no_menu_bar)
{
    EXPECT_EQ(m_frame->windowTitle(), "Untitled - Inkleaf");
    m_doc.SetTitle("lecture.Ilf");
    EXPECT_EQ(m_frame->windowTitle(), "lecture.Ilf - Inkleaf");
    EXPECT_EQ(m_frame->objectName(), "LETTER");
    EXPECT_EQ(qobject_cast<QMenuBar*>(m_frame->menuWidget()), nullptr);  // the command bar, not a menu
    EXPECT_EQ(m_frame->menuWidget(), static_cast<QWidget*>(m_frame->CommandBar()));
}

TEST_F(FrameTest, closing_asks_to_save_a_modified_note)
{
    m_doc.SetModifiedFlag(true);
    m_prompts.QueueAnswer(IDCANCEL);
    EXPECT_FALSE(m_frame->close());
    EXPECT_TRUE(m_frame->isVisible());
    m_prompts.QueueAnswer(IDNO);
    EXPECT_TRUE(m_frame->close());
    EXPECT_EQ(m_prompts.Messages().size(), 2u);
}

TEST_F(FrameTest, another_instance_can_add_a_page_length_and_show_the_frame)
{
    m_frame->AddPageLength();
    EXPECT_EQ(m_frame->View()->Page().PageHeight(), 2730);
    m_frame->Minimize();
    m_frame->RestoreToForeground();
    EXPECT_FALSE(m_frame->isMinimized());
    EXPECT_TRUE(m_frame->IsWindowVisible());
}

TEST_F(FrameTest, a_note_from_another_launch_waits_for_open_dialogs_and_asks_first)
{
    const QString note = m_dir.filePath("handed.Ilf");
    ASSERT_TRUE(m_doc.OnSaveDocument(note));
    m_doc.OnNewDocument();
    m_doc.SetModifiedFlag(true);
    m_frame->Minimize();
    QDialog busy(m_frame.get());  // a flow of ours waits for the user
    busy.setModal(true);
    busy.show();

    m_frame->OpenDocumentFile(note);
    EXPECT_FALSE(m_frame->isMinimized()) << "the frame comes forward at once";
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_prompts.Messages().empty()) << "nothing is opened under the open dialog";
    EXPECT_EQ(m_doc.GetTitle(), "Untitled");

    busy.close();
    m_prompts.QueueAnswer(IDNO);
    const QDeadlineTimer deadline(10000);
    while (m_doc.GetTitle() != "handed.Ilf" && !deadline.hasExpired())
        QTest::qWait(20);
    EXPECT_EQ(m_doc.GetTitle(), "handed.Ilf");
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].type & MB_TYPEMASK, UINT(MB_YESNOCANCEL));
}

TEST_F(FrameTest, a_request_from_another_launch_waits_until_a_merge_has_replayed)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray previous = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    WindowChannel channel(*m_frame);
    ASSERT_TRUE(channel.Listen("LETTER"));

    // One stroke along the top of the page, long enough for the import to show its progress
    // (which lets events through).
    using namespace DeviceFileBytes;
    QByteArray bytes = Header();
    for (int i = 0; i < 6000; ++i) {
        const int step = i % 70;
        bytes += Packet(3800, WORD(400 + 100 * (step < 35 ? step : 70 - step)), 300, true);
    }
    ASSERT_TRUE(Write(m_dir.filePath("long.QVN"), bytes + Packet(3800, 400, 0, false)));

    // Another launch asks for a page length just as the merge starts.
    QLocalSocket other;
    other.connectToServer(channel.Path());
    ASSERT_TRUE(other.waitForConnected(1000));
    other.write("ADD-PAGE-LENGTH\n");
    ASSERT_TRUE(other.waitForBytesWritten(1000));
    m_prompts.QueueFileName(m_dir.filePath("long.QVN"));
    m_frame->OnCommand(IDC_MERGE);

    // The stroke lies where the file puts it, in the first twentieth of the page.
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPointCount(), 6000);
    EXPECT_LT(m_doc.m_lines.GetAt(0)->GetBounds().bottom, 1365 / 20);
    // Then the request is carried out and answered.
    EXPECT_TRUE(QTest::qWaitFor([&] { return other.canReadLine(); }, 2000));
    EXPECT_EQ(other.readLine(), "OK\n");
    EXPECT_EQ(m_frame->View()->Page().PageHeight(), 2730);
    qputenv("XDG_RUNTIME_DIR", previous);
}

TEST(RecentFiles, four_newest_first_without_repeats)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("recent.ini");
    {
        RecentFileList recent(file);
        for (const char* name : {"/n/a.Ilf", "/n/b.Ilf", "/n/c.Ilf", "/n/a.Ilf", "/n/d.Ilf", "/n/e.Ilf"})
            recent.Add(name);
        EXPECT_EQ(recent.Files(), (QStringList{"/n/e.Ilf", "/n/d.Ilf", "/n/a.Ilf", "/n/c.Ilf"}));
    }
    RecentFileList reread(file);
    EXPECT_EQ(reread.Files(), (QStringList{"/n/e.Ilf", "/n/d.Ilf", "/n/a.Ilf", "/n/c.Ilf"}));

    // The note already first (saved again, opened again) leaves the file alone: every write
    // of it waits for the disk.
    QFile::remove(file);
    reread.Add("/n/e.Ilf");
    EXPECT_FALSE(QFile::exists(file));
    reread.Add("/n/c.Ilf");
    EXPECT_EQ(RecentFileList(file).Files(), (QStringList{"/n/c.Ilf", "/n/e.Ilf", "/n/d.Ilf", "/n/a.Ilf"}));
}

TEST(WindowShape, the_window_keeps_the_pixels_that_are_not_white)
{
    TestApplication();
    QImage bitmap(6, 3, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    for (int x = 1; x < 5; ++x)
        bitmap.setPixel(x, 1, qRgb(0, 0, 0));
    bitmap.setPixel(0, 0, qRgb(10, 200, 30));
    bitmap.setPixel(5, 2, qRgb(255, 255, 254));  // nearly white still counts
    const QRegion region = RegionFromBitmap(bitmap);
    EXPECT_EQ(region.rectCount(), 3);
    EXPECT_TRUE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(1, 0)));
    EXPECT_TRUE(region.contains(QPoint(4, 1)));
    EXPECT_FALSE(region.contains(QPoint(5, 1)));
    EXPECT_TRUE(region.contains(QPoint(5, 2)));

    QWidget window;
    EXPECT_TRUE(ShapeWindowFromBitmap(&window, bitmap));
    EXPECT_EQ(window.mask(), region);
    QImage blank(4, 4, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_FALSE(ShapeWindowFromBitmap(&window, blank));
}

TEST_F(FrameTest, ctrl_q_quits_after_asking_about_an_unsaved_note)
{
    m_doc.SetModifiedFlag(true);
    m_prompts.QueueAnswer(IDCANCEL);
    Press(Qt::Key_Q);
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_TRUE(m_prompts.Messages()[0].text.startsWith("Save changes to"));
    EXPECT_TRUE(m_frame->isVisible());

    m_prompts.QueueAnswer(IDNO);
    Press(Qt::Key_Q);
    EXPECT_EQ(m_prompts.Messages().size(), 2u);
    EXPECT_FALSE(m_frame->isVisible());
}
