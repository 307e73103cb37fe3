// The look bundle check: a damaged bundle must be refused before Qt reads it, since Qt trusts
// a registered resource file's offsets. Whatever is taken is read: folders listed and files
// read (and unpacked), as looking pictures up in it does.

#include "FuzzSupport.h"

#include "platform/Resources.h"

#include <QDir>

namespace {

// Reads every file under folder. Qt finds a resource by its names, so a bundle whose names
// lead back up the tree ("", "." or "..") would have a walk go round for ever: the walk goes
// no deeper than the program's own paths ("art/bitmap/272.svg") could, and stops after a
// bundle's worth of entries.
void ReadTree(const QString& folder, int depth, int& entries)
{
    if (depth > 4)
        return;
    const QFileInfoList children = QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& child : children) {
        if (++entries > 256)
            return;
        if (child.isDir()) {
            ReadTree(child.filePath(), depth + 1, entries);
        } else {
            QFile file(child.filePath());
            if (file.open(QIODevice::ReadOnly))
                file.readAll();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzFile(QStringLiteral("IlfRes.rcc"), reinterpret_cast<const char*>(data), size);
    if (!Resources::LoadResourceLibrary(path))
        return 0;
    int entries = 0;
    ReadTree(QStringLiteral(":/IlfRes"), 0, entries);
    Resources::Locate(QStringLiteral("art/bitmap/272.svg"));
    Resources::FreeResourceLibrary();
    return 0;
}
