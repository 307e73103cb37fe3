#include "QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

QMessageBox::StandardButtons ButtonsOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNO:
        return QMessageBox::Yes | QMessageBox::No;
    case MB_YESNOCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int AnswerOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDOK;
    }
}

}  // namespace

int QtPrompts::MessageBox(const QString& text, const QString& caption, UINT type)
{
    ScopedTabletPark park(m_park);
    QMessageBox box(IconOf(type), caption, text, ButtonsOf(type), m_parent);
    // Escape and the title bar's close answer Cancel, or No, or OK: Qt's escape button.
    return AnswerOf(box.exec());
}

QStringList QtPrompts::NameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString name = parts[i];
        // "Name(*.x)" already shows its patterns; Qt reads the last parenthesis as the patterns.
        name.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
        filters << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return filters;
}

QString QtPrompts::WithExtension(const QString& path, const QString& nameFilter, const QString& defaultExtension)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)")).match(nameFilter);
    const QString extension = match.hasMatch() ? match.captured(1) : defaultExtension;
    return extension.isEmpty() ? path : path + QLatin1Char('.') + extension;
}

QString QtPrompts::GetFileName(const FileDialogRequest& request)
{
    ScopedTabletPark park(m_park);
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFilters(request.filter));
    if (!request.overwritePrompt || !request.save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString chosen = dialog.selectedFiles().constFirst();
    return request.save ? WithExtension(chosen, dialog.selectedNameFilter(), request.defaultExtension) : chosen;
}

std::optional<COLORREF> QtPrompts::ChooseColor(COLORREF initial)
{
    const QColor start = m_lastColor.isValid() ? m_lastColor : QColor::fromRgb(ColorRefToQRgb(initial));
    ScopedTabletPark park(m_park);
    const QColor chosen = QColorDialog::getColor(start, m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    m_lastColor = chosen;
    return QRgbToColorRef(chosen.rgb());
}

void QtPrompts::SetWaitCursor(bool waiting)
{
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
