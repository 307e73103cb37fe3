#include "Archive.h"

#include <QIODevice>

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

CArchive::CArchive(QIODevice* device, Mode mode) : m_device(device), m_mode(mode), m_buffer(kBufferSize)
{
    // Counts are checked against the bytes left once per stroke, and a file answers its size
    // with a system call each time: it is asked once.
    if (m_mode == load && m_device && !m_device->isSequential())
        m_deviceSize = m_device->size();
}

CArchive::~CArchive()
{
    try {
        if (m_mode == store)
            Flush();
    } catch (const CArchiveException&) {
        // Nobody can hear it here; a caller that cares calls Close() first.
    }
}

void CArchive::Flush()
{
    if (m_mode != store || m_pos == 0)
        return;
    const qint64 pending = qint64(m_pos);
    const qint64 written = m_device ? m_device->write(m_buffer.data(), pending) : -1;
    m_pos = 0;
    if (written != pending)
        throw CArchiveException(CArchiveException::genericException, "the archive could not be written");
}

qint64 CArchive::BytesLeft() const
{
    if (m_mode != load)
        return 0;
    qint64 onDevice = 0;
    if (m_device)
        onDevice = std::max<qint64>(0, m_deviceSize >= 0 ? m_deviceSize - m_device->pos() : m_device->bytesAvailable());
    return qint64(m_end - m_pos) + onDevice;
}

void CArchive::CheckCount(qint64 count, qint64 bytesEach) const
{
    if (count < 0 || (bytesEach > 0 && count > BytesLeft() / bytesEach))
        throw CArchiveException(CArchiveException::endOfFile, "the archive ends before its count of items");
}

void CArchive::Write(const void* data, size_t size)
{
    if (m_mode != store)
        throw CArchiveException(CArchiveException::readOnly, "writing to a loading archive");
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        if (m_pos == m_buffer.size())
            Flush();
        const size_t chunk = std::min(size, m_buffer.size() - m_pos);
        std::memcpy(m_buffer.data() + m_pos, bytes, chunk);
        m_pos += chunk;
        bytes += chunk;
        size -= chunk;
    }
}

bool CArchive::FillBuffer()
{
    m_pos = 0;
    m_end = 0;
    if (!m_device)
        return false;
    const qint64 got = m_device->read(m_buffer.data(), qint64(m_buffer.size()));
    if (got <= 0)
        return false;
    m_end = size_t(got);
    return true;
}

void CArchive::Read(void* data, size_t size)
{
    if (m_mode != load)
        throw CArchiveException(CArchiveException::writeOnly, "reading from a storing archive");
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        if (m_pos == m_end && !FillBuffer())
            throw CArchiveException(CArchiveException::endOfFile, "unexpected end of the archive");
        const size_t chunk = std::min(size, m_end - m_pos);
        std::memcpy(bytes, m_buffer.data() + m_pos, chunk);
        m_pos += chunk;
        bytes += chunk;
        size -= chunk;
    }
}

const char* CArchive::ReadBlock(size_t size)
{
    if (m_mode != load)
        throw CArchiveException(CArchiveException::writeOnly, "reading from a storing archive");
    if (m_end - m_pos >= size) {
        const char* block = m_buffer.data() + m_pos;
        m_pos += size;
        return block;
    }
    CheckCount(qint64(size), 1);
    m_block.resize(size);
    Read(m_block.data(), size);
    return m_block.data();
}
