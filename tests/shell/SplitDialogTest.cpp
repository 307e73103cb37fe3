// The "Split File" dialog on its own and as the frame's command 1154 shows it, offscreen.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/frame/CMainFrame.h"
#include "shell/dialogs/CSplitFileDialog.h"
#include "shell/tables/StringTable.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class SplitDialogTest : public ::testing::Test {
protected:
    SplitDialogTest() { ScreenMetrics::SetFixedScreen(QSize(1024, 768)); }
    ~SplitDialogTest() override { ScreenMetrics::SetFixedScreen(std::nullopt); }

    // Three strokes: a line across page y 500, one across y 1000, and a single point.
    void PrepareThreeStrokes()
    {
        m_dialog.PrepareSplit(11 + 11 + 1, 3);
        int index = 0;
        for (int stroke = 0; stroke < 2; ++stroke) {
            for (int i = 0; i <= 10; ++i)
                m_dialog.SetSplitPoint(index++, 100 + 50 * i, 500 * (stroke + 1), stroke);
        }
        m_dialog.SetSplitPoint(index, 800, 1200, 2);
        m_dialog.OnInitDialog();
    }

    // Runs the dialog modally; during it, act does what the user does.
    int RunModal(const std::function<void()>& act)
    {
        QTimer::singleShot(0, &m_dialog, [this, act] {
            act();
            if (m_dialog.isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                m_dialog.reject();
            }
        });
        return m_dialog.DoModal();
    }

    QScrollBar* Scroll() { return qobject_cast<QScrollBar*>(m_dialog.GetDlgItem(IDC_SCROLL)); }
    QLineEdit* Edit() { return qobject_cast<QLineEdit*>(m_dialog.GetDlgItem(IDC_SPLIT_EDIT)); }
    QPushButton* Button(UINT id) { return qobject_cast<QPushButton*>(m_dialog.GetDlgItem(id)); }
    bool SaveEnabled() { return Button(IDC_SPLIT_BUTTON)->isEnabled(); }
    void Type(const QString& text)
    {
        Edit()->setText(text);
        Button(IDOK_BUTTON)->click();
    }

    QApplication& m_application = TestApplication();  // before any widget
    ScriptedPrompts m_prompts;
    CSplitFileDialog m_dialog;
};

}  // namespace

TEST_F(SplitDialogTest, controls_are_placed_and_labelled_from_the_string_table)
{
    PrepareThreeStrokes();
    EXPECT_EQ(m_dialog.windowTitle(), "Split File");
    EXPECT_EQ(m_dialog.size(), QSize(680, 420));
    const struct {
        UINT id;
        UINT text;
        const char* english;
        QRect rect;
    } controls[] = {
        {IDC_SPLIT_PAGE1, IDS_PAGE1, "Page.1", {24, 8, 100, 20}},
        {IDC_SPLIT_PAGE2, IDS_PAGE2, "Page.2", {257, 8, 100, 20}},
        {IDC_SPLIT_STATIC, IDS_CUT_POINT, "The Cut Point", {495, 34, 185, 25}},
        {IDOK_BUTTON, IDS_CONFIRM_FILES, "Confirm the files", {495, 89, 145, 25}},
        {IDC_SPLIT_BUTTON, IDS_SAVE_FILES, "Save the files", {495, 124, 145, 25}},
        {IDCANCEL_BUTTON, IDS_CANCEL, "Cancel", {495, 159, 145, 25}},
    };
    for (const auto& control : controls) {
        QWidget* widget = m_dialog.GetDlgItem(control.id);
        ASSERT_NE(widget, nullptr) << control.id;
        EXPECT_EQ(widget->geometry(), control.rect) << control.id;
        const QString text = qobject_cast<QLabel*>(widget) ? qobject_cast<QLabel*>(widget)->text()
                                                             : qobject_cast<QPushButton*>(widget)->text();
        EXPECT_EQ(text, LoadString(control.text)) << control.id;
        if (StringTable::Instance().Language() == "en") {
            EXPECT_EQ(text, control.english);
        }
    }
    EXPECT_EQ(Edit()->geometry(), QRect(495, 59, 145, 20));
    EXPECT_EQ(Scroll()->geometry(), QRect(24, 347, 460, 25));
    EXPECT_EQ(Scroll()->orientation(), Qt::Horizontal);
    EXPECT_TRUE(Button(IDOK_BUTTON)->isDefault());

    // Everything starts on page 1, so there is nothing to save yet.
    EXPECT_EQ(m_dialog.CutPoint(), 3);
    EXPECT_EQ(Edit()->text(), "3");
    EXPECT_EQ(Scroll()->minimum(), 0);
    EXPECT_EQ(Scroll()->maximum(), 3);
    EXPECT_EQ(Scroll()->value(), 3);
    EXPECT_FALSE(SaveEnabled());
}

TEST_F(SplitDialogTest, steps_move_the_cut_short_of_the_end_and_the_thumb_reaches_it)
{
    PrepareThreeStrokes();
    const auto expectCut = [this](int cut, bool canSave) {
        EXPECT_EQ(m_dialog.CutPoint(), cut);
        EXPECT_EQ(Scroll()->value(), cut);
        EXPECT_EQ(Edit()->text(), QString::number(cut));
        EXPECT_EQ(SaveEnabled(), canSave) << "cut " << cut;
    };
    Scroll()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    expectCut(2, true);
    Scroll()->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // 3 is past a step's reach
    expectCut(2, true);
    Scroll()->triggerAction(QAbstractSlider::SliderPageStepSub);
    expectCut(1, true);
    Scroll()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    expectCut(0, false);
    Scroll()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    expectCut(0, false);
    Scroll()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    expectCut(1, true);
    Scroll()->triggerAction(QAbstractSlider::SliderToMaximum);  // Home and End leave the cut alone
    expectCut(1, true);
    Scroll()->setSliderPosition(3);  // dragging the thumb
    expectCut(3, false);
}

TEST_F(SplitDialogTest, the_typed_cut_is_taken_when_in_range_and_refused_otherwise)
{
    PrepareThreeStrokes();
    Type("1");
    EXPECT_EQ(m_dialog.CutPoint(), 1);
    EXPECT_EQ(Scroll()->value(), 1);
    EXPECT_TRUE(SaveEnabled());
    EXPECT_TRUE(m_prompts.Messages().empty());

    for (const char* refused : {"5", "-1", "1234567890"}) {
        Type(QString::fromLatin1(refused));
        EXPECT_EQ(m_dialog.CutPoint(), 1) << refused;
        EXPECT_EQ(Scroll()->value(), 1) << refused;
    }
    ASSERT_EQ(m_prompts.Messages().size(), 3u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Out of Range");
    EXPECT_EQ(m_prompts.Messages()[0].caption, "Split File");

    Type(" 2 strokes");  // read as a C number: leading digits count
    EXPECT_EQ(m_dialog.CutPoint(), 2);
    EXPECT_EQ(Edit()->text(), "2");
    Type("abc");  // no number reads as 0, which puts everything on page 2
    EXPECT_EQ(m_dialog.CutPoint(), 0);
    EXPECT_EQ(Edit()->text(), "0");
    EXPECT_FALSE(SaveEnabled());
    EXPECT_EQ(m_prompts.Messages().size(), 3u);

    // Enter in the edit box confirms without closing.
    m_dialog.show();
    Edit()->setText("2");
    QTest::keyClick(Edit(), Qt::Key_Return);
    EXPECT_EQ(m_dialog.CutPoint(), 2);
    EXPECT_TRUE(m_dialog.isVisible());
    m_dialog.hide();
}

TEST_F(SplitDialogTest, previews_draw_each_page_in_its_own_box)
{
    PrepareThreeStrokes();
    Type("1");
    // A 1024-pixel page shrinks by 5: page (x, y) lands at (x / 5 + 30, y / 5 + 35) in box 1
    // and at (x / 5 + 265, y / 5 + 35) in box 2.
    QImage image = m_dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    EXPECT_EQ(image.pixel(24, 33), black);   // the boxes' frames
    EXPECT_EQ(image.pixel(248, 332), black);
    EXPECT_EQ(image.pixel(257, 200), black);
    EXPECT_EQ(image.pixel(481, 332), black);
    EXPECT_EQ(image.pixel(80, 135), black);   // stroke 0 on page 1
    EXPECT_EQ(image.pixel(315, 135), white);
    EXPECT_EQ(image.pixel(315, 235), black);  // stroke 1 on page 2
    EXPECT_EQ(image.pixel(80, 235), white);
    EXPECT_EQ(image.pixel(425, 275), white);  // a single point draws nothing
    int inked = 0;
    for (int y = 34; y < 332; ++y)
        for (int x = 25; x < 248; ++x)
            inked += image.pixel(x, y) == black;
    EXPECT_EQ(inked, 101);  // page x 100..600 is preview x 50..150

    Type("0");
    image = m_dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(80, 135), white);
    EXPECT_EQ(image.pixel(315, 135), black);
    EXPECT_EQ(image.pixel(315, 235), black);
    EXPECT_EQ(CSplitFileDialog::PreviewDivisor(1920), 9);
}

TEST_F(SplitDialogTest, only_save_answers_ok_and_an_empty_page_can_only_be_cancelled)
{
    PrepareThreeStrokes();
    EXPECT_EQ(RunModal([this] {
                  Type("2");
                  Button(IDC_SPLIT_BUTTON)->click();
              }),
              IDOK);
    EXPECT_EQ(m_dialog.CutPoint(), 2);
    PrepareThreeStrokes();
    EXPECT_EQ(RunModal([this] { Button(IDCANCEL_BUTTON)->click(); }), IDCANCEL);
    PrepareThreeStrokes();
    EXPECT_EQ(RunModal([this] { QTest::keyClick(&m_dialog, Qt::Key_Escape); }), IDCANCEL);

    m_dialog.PrepareSplit(0, 0);
    const int answer = RunModal([this] {
        EXPECT_EQ(Scroll()->maximum(), 0);
        Scroll()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        Type("0");
        EXPECT_FALSE(SaveEnabled());
        Button(IDC_SPLIT_BUTTON)->click();  // disabled: nothing happens
        EXPECT_TRUE(m_dialog.isVisible());
        Button(IDCANCEL_BUTTON)->click();
    });
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_EQ(m_dialog.CutPoint(), 0);
}

TEST(SplitFrameTest, the_frame_routes_split_and_merge_to_the_document_with_its_dialog)
{
    TestApplication();
    ScreenMetrics::SetFixedScreen(QSize(1024, 768));
    QTemporaryDir dir;
    OverrideSettingsFolder(dir.path());
    ScriptedPrompts prompts;
    CScrivaDoc doc;
    {
        CMainFrame frame(doc, "LETTER", [](UINT) { return false; });
        doc.OnNewDocument();
        ASSERT_EQ(doc.SplitDialog(), frame.SplitDialog());

        EXPECT_TRUE(frame.OnCommand(IDC_MERGE));
        ASSERT_EQ(prompts.FileDialogs().size(), 1u);
        EXPECT_FALSE(prompts.FileDialogs()[0].save);
        EXPECT_EQ(prompts.FileDialogs()[0].filter, CScrivaDoc::kDeviceFilter);

        auto line = std::make_unique<CLine>();
        line->AddPoint(10, 10, 100);
        line->AddPoint(50, 50, 100);
        doc.m_lines.Add(std::move(line));
        ASSERT_TRUE(doc.OnSaveDocument(dir.filePath("note.Ilf")));
        QWidget* shown = nullptr;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activeModalWidget();
            frame.SplitDialog()->reject();
        });
        EXPECT_TRUE(frame.OnCommand(IDC_SPLIT));
        EXPECT_EQ(shown, frame.SplitDialog());
        EXPECT_EQ(frame.SplitDialog()->StrokeCount(), 1);
        EXPECT_EQ(prompts.FileDialogs().size(), 1u);  // cancelled: no file is asked for
    }
    EXPECT_EQ(doc.SplitDialog(), nullptr);
    ScreenMetrics::SetFixedScreen(std::nullopt);
}
