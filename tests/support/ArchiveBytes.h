#pragma once
// Round trips through the archive in memory.

#include "platform/Archive.h"

#include <QBuffer>
#include <QByteArray>

// The bytes an object stores through an archive.
template <typename T>
QByteArray StoreToBytes(T& object)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    object.Serialize(ar);
    ar.Close();
    return bytes;
}

// Lets object load itself from bytes; archive errors pass through.
template <typename T>
void LoadFromBytes(T& object, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    object.Serialize(ar);
}
