#include "ToolSupport.h"

#include <QFileInfo>

#include <cstdio>

void Complain(const QString& text)
{
    std::fprintf(stderr, "inkleaf-tool: %s\n", qUtf8Printable(text));
}

FileKind InputKindOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName().toUpper();
    if (name.contains(QLatin1String(".ILF")))
        return FileKind::Note;
    if (name.contains(QLatin1String(".QVN")))
        return FileKind::Device;
    return FileKind::Other;
}

FileKind OutputKindOf(const QString& path)
{
    // The whole path, as the document decides what to save by it.
    const QString name = path.toUpper();
    const qsizetype device = name.indexOf(QLatin1String(".QVN"));
    if (device >= 0 && device == name.size() - 4)
        return FileKind::Device;
    if (name.contains(QLatin1String(".ILF")))
        return FileKind::Note;
    return FileKind::Other;
}

bool IsSafeToRead(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        Complain(QStringLiteral("%1: not a regular file").arg(path));
        return false;
    }
    return true;
}
