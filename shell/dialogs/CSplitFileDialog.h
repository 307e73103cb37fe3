#pragma once
// "Split File": previews the page's strokes cut in two, page 1 on the left and page 2 on the
// right, and lets the user move the cut with the scroll bar or type it. "Save the files" is
// offered only when both halves hold strokes. Positions are dialog client pixels.

#include "document/ISplitDialog.h"
#include "platform/Rect.h"

#include <QDialog>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

class CSplitFileDialog : public QDialog, public ISplitDialog {
    Q_OBJECT
public:
    // The preview boxes: a page as wide as the screen shrinks to about 214 pixels across.
    static constexpr RECT kPage1Box = {24, 33, 249, 333};
    static constexpr RECT kPage2Box = {257, 33, 482, 333};

    // Creates the controls; they are placed and labelled each time the dialog is shown.
    explicit CSplitFileDialog(QWidget* parent = nullptr);

    // ISplitDialog
    void PrepareSplit(int totalPoints, int strokeCount) override;
    void SetSplitPoint(int index, LONG x, LONG y, int stroke) override;
    // Shows the dialog until "Save the files" (IDOK) or "Cancel" or closing (IDCANCEL); the
    // points are released afterwards.
    int DoModal() override;
    int CutPoint() const override { return m_nCut; }
    int StrokeCount() const override { return m_nStrokes; }

    // The control of a dialog-template id (1 confirm, 2 cancel, 1056 scroll bar, 1171 edit,
    // 1172, 1177, 1178 statics, 1179 save), or nullptr.
    QWidget* GetDlgItem(UINT id) const;

    // Places the controls, sets their texts in the user's language and shows the cut.
    void OnInitDialog();
    // "Confirm the files": takes the cut typed in the edit box when it is 0..stroke count,
    // otherwise says "Out of Range" and keeps the cut. The dialog stays open.
    void OnConfirmFiles();

    // How many page pixels make one preview pixel on a screen screenWidth pixels wide.
    static int PreviewDivisor(int screenWidth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // A scroll bar action: one step moves the cut by one stroke, the thumb sets it.
    void OnHScroll(int action);
    // The scroll bar and the edit box show the cut.
    void ShowCut();
    // Saving needs strokes on both pages.
    void UpdateSaveButton();
    void ReleasePoints();

    std::vector<POINT> m_points;     // page pixels, every point of every stroke in drawing order
    std::vector<int> m_pointStroke;  // the stroke of each entry of m_points
    int m_nPoints = 0;
    int m_nStrokes = 0;
    int m_nCut = 0;                  // strokes 0..m_nCut-1 form page 1

    QScrollBar* m_scrollCut;
    QLabel* m_staticPage1;
    QLabel* m_staticPage2;
    QLabel* m_staticCut;
    QLineEdit* m_editCut;
    QPushButton* m_btnConfirm;
    QPushButton* m_btnSave;
    QPushButton* m_btnCancel;
};
