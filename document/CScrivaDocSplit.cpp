// Splitting the page's strokes into two device files, and merging a device file onto the page.

#include "CScrivaDoc.h"

#include "platform/Prompts.h"

namespace {

const QString kDeviceExtension = QStringLiteral(".QVN");

// A device file's name: ".QVN", in any case, first found at the very end.
bool IsDeviceFileName(const QString& path)
{
    const QString upper = path.toUpper();
    const qsizetype at = upper.indexOf(kDeviceExtension);
    return at >= 0 && at == upper.size() - kDeviceExtension.size();
}

FileDialogRequest DeviceFileDialog(bool save, const QString& initialName)
{
    return {save, QString::fromLatin1(CScrivaDoc::kDeviceFilter), QStringLiteral("QVN"), initialName, true};
}

}  // namespace

void CScrivaDoc::OnSplit()
{
    // Only a note that came from or went to a file is split.
    if (m_openedPath.isEmpty() || !m_splitDialog)
        return;

    // 1. Every point of every stroke, in drawing order, for the previews.
    int totalPoints = 0;
    for (int s = 0; s < m_lines.GetCount(); ++s)
        totalPoints += m_lines.GetAt(s)->GetPointCount();
    ScopedTabletPark park(m_pView);
    m_splitDialog->PrepareSplit(totalPoints, m_lines.GetCount());
    int index = 0;
    for (int s = 0; s < m_lines.GetCount(); ++s) {
        for (const StrokePoint& p : m_lines.GetAt(s)->Points())
            m_splitDialog->SetSplitPoint(index++, p.x, p.y, s);
    }

    // 2. The cut.
    if (m_splitDialog->DoModal() != IDOK)
        return;
    const int cut = m_splitDialog->CutPoint();
    const int strokes = m_splitDialog->StrokeCount();

    // 3. Page 1, then page 2; cancelling the first still offers the second. Names that are not
    // device files write nothing.
    const QString page1 = prompts().GetFileName(DeviceFileDialog(true, QStringLiteral("Page1.QVN")));
    if (m_pView && IsDeviceFileName(page1))
        m_pView->WriteDeviceFile(page1, 0, cut);
    const QString page2 = prompts().GetFileName(DeviceFileDialog(true, QStringLiteral("Page2.QVN")));
    if (m_pView && IsDeviceFileName(page2))
        m_pView->WriteDeviceFile(page2, cut, strokes);
}

void CScrivaDoc::OnMerge()
{
    ScopedTabletPark park(m_pView);
    const QString path = prompts().GetFileName(DeviceFileDialog(false, QString()));
    if (path.isEmpty())
        return;
    if (!path.toUpper().contains(kDeviceExtension)) {
        prompts().MessageBox(QStringLiteral("Not QVN File"), QStringLiteral("Error"), MB_OK);
        return;
    }
    // The page is not cleared: the file's strokes are added to it. Title and paths stay.
    if (m_pView) {
        m_pView->ScrollToOrigin();
        m_pView->ImportDeviceFile(path);
    }
    SetModifiedFlag(true);
}
