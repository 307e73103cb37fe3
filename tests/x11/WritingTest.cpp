// The letter frame on a real X server, written on with the mouse as the pen: events come from
// the X server, through Qt, to the tablet binding and the page capture.

#include "LetterFrameTest.h"

#include "platform/CommandIds.h"
#include "platform/QtPrompts.h"
#include "platform/Settings.h"
#include "shell/frame/CMainFrame.h"
#include "tablet/TabletBinding.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Answers the dialogs the program opens, one after another, by clicking a button of each with
// the real mouse; the places clicked are kept. The program's dialog runs its own event loop,
// which also runs this clicker's timer.
class DialogClicker {
public:
    struct Step {
        QDialogButtonBox::ButtonRole role;
        std::function<void(QWidget*)> prepare;  // before the click, on the dialog
    };

    explicit DialogClicker(std::vector<Step> steps) : m_steps(std::move(steps))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(50);
    }
    const std::vector<QPoint>& Clicks() const { return m_clicks; }

private:
    void Poll()
    {
        QWidget* dialog = QApplication::activeModalWidget();
        if (m_busy || !dialog || !dialog->isVisible() || dialog == m_last)
            return;
        m_busy = true;
        m_last = dialog;
        if (m_next < m_steps.size())
            Answer(dialog, m_steps[m_next++]);
        else if (auto* unexpected = qobject_cast<QDialog*>(dialog))
            unexpected->reject();  // nothing to click: the test goes on and fails on the count
        m_busy = false;
    }
    void Answer(QWidget* dialog, const Step& step)
    {
        X11Desk::Settle(300);
        if (step.prepare)
            step.prepare(dialog);
        const auto* box = dialog->findChild<QDialogButtonBox*>();
        for (QAbstractButton* button : box ? box->buttons() : QList<QAbstractButton*>()) {
            if (box->buttonRole(button) != step.role)
                continue;
            const QPoint at = button->mapToGlobal(button->rect().center());
            m_clicks.push_back(at);
            X11Desk::Click(at);
            return;
        }
    }

    std::vector<Step> m_steps;
    size_t m_next = 0;
    QPointer<QWidget> m_last;
    bool m_busy = false;
    std::vector<QPoint> m_clicks;
    QTimer m_timer;
};

class WritingTest : public LetterFrameTest {};

}  // namespace

TEST_F(WritingTest, a_mouse_drag_over_the_page_becomes_one_stroke_in_the_note)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenLetterFrame();
    const QPoint c = ViewCentre();
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(c - QPoint(100, 0), c + QPoint(100, 40))));

    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine* line = m_doc.m_lines.GetAt(0);
    EXPECT_GE(line->GetPointCount(), 3);
    // At half zoom, 200 screen pixels across are 400 page pixels.
    const CRect bounds = line->GetBounds();
    EXPECT_NEAR(bounds.Width(), 400, 8);
    EXPECT_NEAR(bounds.Height(), 80, 8);
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(WritingTest, the_page_takes_ink_wherever_the_window_stands)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenLetterFrame();

    // A restored window away from the screen's left edge. At half zoom the page begins 480
    // pixels into the window: a stroke begun on the grey band starts where the pen enters.
    m_frame->showNormal();
    const QRect placed(300, 200, 1200, 700);
    m_frame->setGeometry(placed);
    // A loaded X server may place the window later than any fixed wait: wait for the move.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_frame->geometry() == placed && m_frame->View()->ScreenRect().left >= placed.left(); }, 5000));
    X11Desk::Settle(100);
    const CRect r = m_frame->View()->ScreenRect();
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(r.left + 200, r.top + 100), QPoint(r.left + 700, r.top + 150))));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine* line = m_doc.m_lines.GetAt(0);
    EXPECT_GE(line->GetPoint(0).x, 0);
    EXPECT_LE(line->GetPoint(0).x, 90);
    EXPECT_NEAR(line->GetPoint(line->GetPointCount() - 1).x, 440, 4);

    // The primary monitor right of another one: the maximised window is there.
    ASSERT_TRUE(X11Desk::AddMonitor(QStringLiteral("Right"), QRect(1920, 0, 1920, 1080), true));
    m_doc.OnNewDocument();
    m_frame->ShowMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_frame->View()->ScreenRect().left >= 1920; }, 5000));
    X11Desk::Settle(100);
    const CRect v = m_frame->View()->ScreenRect();
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(v.left + 860, v.top + 300), QPoint(v.left + 1060, v.top + 340))));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    line = m_doc.m_lines.GetAt(0);
    // 860 pixels into the window, less the 480 of grey, doubled; 200 across are 400 on the page.
    EXPECT_NEAR(line->GetPoint(0).x, 760, 4);
    EXPECT_NEAR(line->GetPoint(line->GetPointCount() - 1).x, 1160, 4);
}

TEST_F(WritingTest, clicks_on_dialogs_leave_no_ink_and_the_pen_writes_again_after)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenLetterFrame();
    QtPrompts dialogs(m_frame.get());
    dialogs.SetTabletPark(m_frame->View());
    IPrompts* scripted = SetPrompts(&dialogs);
    const QString notes = m_dir.filePath(QStringLiteral("notes.txt"));
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QString message;
    DialogClicker clicker({
        {QDialogButtonBox::AcceptRole, {}},  // the line colour: OK
        {QDialogButtonBox::AcceptRole,       // a file to merge: Open
         [&](QWidget* dialog) { dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(notes); }},
        {QDialogButtonBox::AcceptRole,       // it is not a device file: OK
         [&](QWidget* dialog) {
             if (auto* box = qobject_cast<QMessageBox*>(dialog))
                 message = box->text();
         }},
        {QDialogButtonBox::RejectRole, {}},  // open a note: Cancel
    });
    m_frame->OnCommand(IDC_LINE_COLOR);
    m_frame->OnCommand(IDC_MERGE);
    m_frame->OnCommand(ID_FILE_OPEN);
    SetPrompts(scripted);

    EXPECT_EQ(message, "Not QVN File");
    ASSERT_EQ(clicker.Clicks().size(), 4u);
    CScrivaView* view = m_frame->View();
    for (const QPoint at : clicker.Clicks()) {
        // Each click was on the page under the dialog.
        const POINT page = view->ScreenToPage(at.x(), at.y());
        EXPECT_TRUE(view->Page().PageRect().PtInRect(page)) << at.x() << "," << at.y();
        EXPECT_TRUE(view->ScreenRect().PtInRect({at.x(), at.y()}));
    }
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_FALSE(m_doc.IsModified());

    // The pen is back once the dialogs are gone.
    EXPECT_NE(view->TabletContext(), 0);
    const QPoint c = ViewCentre();
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(c - QPoint(100, 0), c + QPoint(100, 40))));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
}
