#include "CSplitFileDialog.h"

#include "shell/tables/CommandTable.h"
#include "shell/tables/StringTable.h"

#include "platform/CommandIds.h"
#include "platform/Prompts.h"
#include "platform/ScreenMetrics.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include <cstdlib>

namespace {

constexpr int kPreviewTop = 35;      // dialog pixels: where page y 0 lands in both boxes
constexpr int kPage1Left = 30;       // where page x 0 lands in the page 1 box
constexpr int kPage2Left = 265;      // ... and in the page 2 box
constexpr int kCutDigits = 9;        // characters of the edit box that are read

QRect BoxOf(const RECT& box)
{
    return QRect(box.left, box.top, box.right - box.left, box.bottom - box.top);
}

}  // namespace

CSplitFileDialog::CSplitFileDialog(QWidget* parent)
    : QDialog(parent), m_scrollCut(new QScrollBar(Qt::Horizontal, this)), m_staticPage1(new QLabel(this)),
      m_staticPage2(new QLabel(this)), m_staticCut(new QLabel(this)), m_editCut(new QLineEdit(this)),
      m_btnConfirm(new QPushButton(this)), m_btnSave(new QPushButton(this)), m_btnCancel(new QPushButton(this))
{
    const std::pair<QWidget*, UINT> controls[] = {
        {m_btnConfirm, IDOK_BUTTON},        {m_btnCancel, IDCANCEL_BUTTON},   {m_scrollCut, IDC_SCROLL},
        {m_editCut, IDC_SPLIT_EDIT},        {m_staticCut, IDC_SPLIT_STATIC}, {m_staticPage1, IDC_SPLIT_PAGE1},
        {m_staticPage2, IDC_SPLIT_PAGE2},   {m_btnSave, IDC_SPLIT_BUTTON}};
    for (const auto& [control, id] : controls)
        control->setObjectName(QString::number(id));
    setWindowTitle(QString::fromLatin1(SplitFileTemplate().caption));

    m_scrollCut->setSingleStep(1);
    m_scrollCut->setPageStep(1);
    // Enter in the edit box confirms the cut; it never closes the dialog.
    m_btnConfirm->setDefault(true);
    connect(m_scrollCut, &QScrollBar::actionTriggered, this, &CSplitFileDialog::OnHScroll);
    connect(m_btnConfirm, &QPushButton::clicked, this, &CSplitFileDialog::OnConfirmFiles);
    connect(m_btnSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* CSplitFileDialog::GetDlgItem(UINT id) const
{
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CSplitFileDialog::PrepareSplit(int totalPoints, int strokeCount)
{
    const size_t count = size_t(std::max(totalPoints, 0));
    m_points.assign(count, POINT{});
    m_pointStroke.assign(count, 0);
    m_nPoints = 0;
    m_nStrokes = strokeCount;
    m_nCut = strokeCount;
}

void CSplitFileDialog::SetSplitPoint(int index, LONG x, LONG y, int stroke)
{
    if (index < 0 || size_t(index) >= m_points.size())
        return;
    m_points[size_t(index)] = {x, y};
    m_pointStroke[size_t(index)] = stroke;
    ++m_nPoints;
}

int CSplitFileDialog::DoModal()
{
    OnInitDialog();
    const int result = exec() == QDialog::Accepted ? IDOK : IDCANCEL;
    ReleasePoints();
    return result;
}

void CSplitFileDialog::ReleasePoints()
{
    m_points = {};
    m_pointStroke = {};
    m_nPoints = 0;
}

void CSplitFileDialog::OnInitDialog()
{
    move(100, 100);
    setFixedSize(680, 420);
    struct Placement {
        QWidget* control;
        UINT text;  // string id, 0 for none
        QRect rect;
    };
    const Placement placements[] = {
        {m_staticPage1, IDS_PAGE1, {24, 8, 100, 20}},
        {m_staticPage2, IDS_PAGE2, {257, 8, 100, 20}},
        {m_staticCut, IDS_CUT_POINT, {495, 34, 185, 25}},
        {m_editCut, 0, {495, 59, 145, 20}},
        {m_btnConfirm, IDS_CONFIRM_FILES, {495, 89, 145, 25}},
        {m_btnSave, IDS_SAVE_FILES, {495, 124, 145, 25}},
        {m_btnCancel, IDS_CANCEL, {495, 159, 145, 25}},
        {m_scrollCut, 0, {24, 347, 460, 25}},
    };
    for (const Placement& p : placements) {
        p.control->setGeometry(p.rect);
        if (p.text == 0)
            continue;
        if (auto* label = qobject_cast<QLabel*>(p.control))
            label->setText(LoadString(p.text));
        else if (auto* button = qobject_cast<QPushButton*>(p.control))
            button->setText(LoadString(p.text));
    }
    m_scrollCut->setRange(0, m_nStrokes);
    ShowCut();
    UpdateSaveButton();
    m_editCut->setFocus();
}

void CSplitFileDialog::ShowCut()
{
    m_scrollCut->setValue(m_nCut);
    m_editCut->setText(QString::number(m_nCut));
}

void CSplitFileDialog::UpdateSaveButton()
{
    m_btnSave->setEnabled(m_nCut != 0 && m_nCut != m_nStrokes);
}

void CSplitFileDialog::OnHScroll(int action)
{
    const int before = m_nCut;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
        if (m_nCut > 0)
            --m_nCut;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
        // A step never puts everything on page 1; only the thumb or the edit box does.
        if (m_nCut < m_scrollCut->maximum() - 1)
            ++m_nCut;
        break;
    case QAbstractSlider::SliderMove: m_nCut = m_scrollCut->sliderPosition(); break;
    default: break;
    }
    // The bar has already moved by the action; it is put back on the cut before it settles.
    m_scrollCut->setSliderPosition(m_nCut);
    if (m_nCut != before) {
        m_editCut->setText(QString::number(m_nCut));
        update(BoxOf(kPage1Box));
        update(BoxOf(kPage2Box));
    }
    UpdateSaveButton();
}

void CSplitFileDialog::OnConfirmFiles()
{
    const int cut = std::atoi(m_editCut->text().left(kCutDigits).toLatin1().constData());
    if (cut >= 0 && cut <= m_nStrokes) {
        m_nCut = cut;
        m_editCut->setText(QString::number(cut));
    } else {
        prompts().MessageBox(QStringLiteral("Out of Range"), QStringLiteral("Split File"), MB_OK);
    }
    m_scrollCut->setValue(m_nCut);
    UpdateSaveButton();
    update();
}

int CSplitFileDialog::PreviewDivisor(int screenWidth)
{
    // 1/214 in single precision, as the preview scale has always been computed.
    return int(float(screenWidth) * 0.004672897f + 1.0f);
}

void CSplitFileDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const RECT& box : {kPage1Box, kPage2Box}) {
        const QRect rect = BoxOf(box);
        painter.fillRect(rect, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));  // one pixel inside the box's edges
    }
    const int d = PreviewDivisor(ScreenMetrics::ScreenSize().width());
    painter.setPen(QPen(Qt::black, 1));
    const int count = std::min<int>(m_nPoints, int(m_points.size()));
    for (int i = 1; i < count; ++i) {
        const int stroke = m_pointStroke[size_t(i)];
        if (m_pointStroke[size_t(i - 1)] != stroke)
            continue;
        const int left = stroke < m_nCut ? kPage1Left : kPage2Left;
        const POINT& a = m_points[size_t(i - 1)];
        const POINT& b = m_points[size_t(i)];
        painter.drawLine(int(a.x / d) + left, int(a.y / d) + kPreviewTop, int(b.x / d) + left,
                         int(b.y / d) + kPreviewTop);
    }
}
