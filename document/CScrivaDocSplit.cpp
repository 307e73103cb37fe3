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

    // 3. Page 1, then page 2; cancelling the first, or failing to write it, still offers the
    // second. Names that are not device files write nothing.
    const QString page1 = prompts().GetFileName(DeviceFileDialog(true, QStringLiteral("Page1.QVN")));
    WriteSplitHalf(page1, 0, cut);
    const QString page2 = prompts().GetFileName(DeviceFileDialog(true, QStringLiteral("Page2.QVN")));
    WriteSplitHalf(page2, cut, strokes);
}

void CScrivaDoc::WriteSplitHalf(const QString& path, int firstStroke, int endStroke)
{
    if (!m_pView || !IsDeviceFileName(path))
        return;
    if (!m_pView->WriteDeviceFile(path, firstStroke, endStroke))
        ShowSaveFailure();
}

void CScrivaDoc::OnMerge()
{
    // The dialogs park the pen themselves; the replay that follows lets pen packets wait.
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
