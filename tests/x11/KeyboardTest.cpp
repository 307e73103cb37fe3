// The keyboard on a real X server: the mouse passing over the bars leaves the keyboard with the
// page, so the page's keys and the frame's shortcuts keep reaching it. Keys and the mouse come
// from the X server (xdotool), as a user's do.

#include "LetterFrameTest.h"

#include "pictures/CPictureItem.h"
#include "platform/CommandIds.h"
#include "platform/Settings.h"
#include "shell/bars/CCommandBar.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "shell/frame/CMainFrame.h"
#include "shell/bars/CPaletteBar.h"
#include "tablet/TabletBinding.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Presses keys through the X server, as xdotool names them ("Next", "shift+F10").
bool Key(const QString& keys)
{
    const bool pressed = X11Desk::Run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    X11Desk::Settle();
    return pressed;
}

QPoint Centre(const QWidget* widget)
{
    return widget->mapToGlobal(widget->rect().center()) * widget->devicePixelRatio();
}

class KeyboardTest : public LetterFrameTest {
protected:
    // A 200 x 150 picture on the page, centred under the middle of the view.
    void PlacePictureAtViewCentre()
    {
        const POINT middle = m_frame->View()->ScreenToPage(ViewCentre().x(), ViewCentre().y());
        QImage bitmap(200, 150, QImage::Format_RGB32);
        bitmap.fill(qRgb(30, 120, 200));
        auto picture = std::make_unique<CPictureItem>();
        picture->SetBitmap(bitmap, 200, 150);
        picture->SetRect(CRect(middle.x - 100, middle.y - 75, middle.x + 100, middle.y + 75));
        m_doc.m_pictures.Add(std::move(picture));
        m_frame->View()->DrawRuledLines(true);
        m_frame->View()->Invalidate();
    }
    bool PageHasKeyboard() const
    {
        const QWidget* focus = QApplication::focusWidget();
        return focus && (focus == m_frame->View() || m_frame->View()->isAncestorOf(focus));
    }
};

}  // namespace

TEST_F(KeyboardTest, hovering_and_clicking_bar_buttons_leave_the_keyboard_with_the_page)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenLetterFrame(true);
    CScrivaView* view = m_frame->View();
    ASSERT_TRUE(QTest::qWaitFor([&] { return PageHasKeyboard(); }, 2000));

    CPaletteBar* palette = m_frame->PaletteBar();
    for (CHoverBitmapButton* button : {palette->Button(IDC_UNDO), palette->Button(IDC_ZOOM_IN),
                                       m_frame->CommandBar()->ButtonFor(ID_FILE_SAVE)}) {
        ASSERT_TRUE(X11Desk::MoveMouse(Centre(button)));
        EXPECT_TRUE(button->IsHovering()) << button->GetDlgCtrlID();
        EXPECT_TRUE(PageHasKeyboard()) << button->GetDlgCtrlID();
    }
    // A click sends its command and still leaves the keyboard where it was.
    ASSERT_TRUE(X11Desk::Click(Centre(palette->Button(IDC_BRUSH))));
    EXPECT_EQ(view->Tool(), CScrivaView::kBrush);
    EXPECT_TRUE(PageHasKeyboard());

    // The page's own keys reach it: Page Down scrolls the half-size page.
    ASSERT_EQ(view->ScrollPosition().y(), 0);
    ASSERT_TRUE(Key(QStringLiteral("Next")));
    EXPECT_GT(view->ScrollPosition().y(), 0);
}

TEST_F(KeyboardTest, the_selected_picture_answers_delete_and_the_menu_keys)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenLetterFrame(true);
    PlacePictureAtViewCentre();
    CPaletteBar* palette = m_frame->PaletteBar();
    ASSERT_TRUE(X11Desk::Click(Centre(palette->Button(IDC_MOVE_PICTURE))));
    ASSERT_TRUE(X11Desk::Click(ViewCentre()));
    ASSERT_EQ(m_doc.m_pictures.GetSelectedIndex(), 0);
    ASSERT_TRUE(X11Desk::MoveMouse(Centre(palette->Button(IDC_UNDO))));

    // Both menu keys open the picture's menu over the picture, with the picture commands.
    for (const QString& keys : {QStringLiteral("Menu"), QStringLiteral("shift+F10")}) {
        QStringList items;
        QRect shownAt;
        QTimer::singleShot(500, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (const QAction* action : menu->actions())
                    items << action->text().section(QLatin1Char('\t'), 0, 0);
                shownAt = menu->geometry();
                menu->close();
            }
        });
        ASSERT_TRUE(Key(keys));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !items.isEmpty(); }, 3000)) << keys.toStdString();
        EXPECT_EQ(items, (QStringList{"Move To Front", "Move To Back", "Move Forward", "Move Back", "Delete"}));
        const QRect picture(ViewCentre() - QPoint(50, 37), ViewCentre() + QPoint(50, 37));
        EXPECT_TRUE(picture.contains(shownAt.topLeft() * m_frame->devicePixelRatio()))
            << shownAt.x() << "," << shownAt.y();
    }

    ASSERT_TRUE(Key(QStringLiteral("Delete")));
    EXPECT_EQ(m_doc.m_pictures.GetCount(), 0);
}
