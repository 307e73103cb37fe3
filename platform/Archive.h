#pragma once
// The binary archive that persistent objects read and write themselves through: little-endian,
// no tags or versions, fields in a fixed order. Loading past the end raises an end-of-file
// archive error that aborts the whole load; every count read from a stream is checked against
// the bytes that remain before anything is allocated for it.

#include "WinTypes.h"

#include <QtEndian>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

class QIODevice;

class CArchiveException : public std::runtime_error {
public:
    enum Cause { genericException = 1, readOnly = 2, endOfFile = 3, writeOnly = 4, badIndex = 5 };
    CArchiveException(Cause cause, const std::string& what) : std::runtime_error(what), m_cause(cause) {}
    Cause m_cause;
};

// An index outside an array.
class CInvalidArgException : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    // The device must be open for reading (load) or writing (store) and outlive the archive.
    CArchive(QIODevice* device, Mode mode);
    ~CArchive();  // flushes a storing archive; errors there are lost, call Close() to see them
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }

    // Writes out what is buffered; raises a generic archive error when the device refuses.
    void Flush();
    void Close() { Flush(); }

    // Bytes that can still be read, buffered or not.
    qint64 BytesLeft() const;
    // Raises the end-of-file error unless count items of bytesEach bytes can still be read.
    // Negative counts are damaged input and raise it too.
    void CheckCount(qint64 count, qint64 bytesEach) const;

    void Write(const void* data, size_t size);
    void Read(void* data, size_t size);
    // The next size bytes in one piece, for records read in bulk: a pointer into the read-ahead
    // buffer, or into a copy when they run past its end. Valid until the next read. Raises the
    // end-of-file error, before allocating anything, when fewer bytes remain.
    const char* ReadBlock(size_t size);

    template <typename T>
    CArchive& operator<<(T value)
    {
        static_assert(std::is_integral_v<T>, "only fixed-size integers are stored");
        const T le = qToLittleEndian(value);
        if (m_mode == store && m_buffer.size() - m_pos >= sizeof le) {
            std::memcpy(m_buffer.data() + m_pos, &le, sizeof le);
            m_pos += sizeof le;
        } else {
            Write(&le, sizeof le);
        }
        return *this;
    }
    template <typename T>
    CArchive& operator>>(T& value)
    {
        static_assert(std::is_integral_v<T>, "only fixed-size integers are loaded");
        T le;
        if (m_mode == load && m_end - m_pos >= sizeof le) {
            std::memcpy(&le, m_buffer.data() + m_pos, sizeof le);
            m_pos += sizeof le;
        } else {
            Read(&le, sizeof le);
        }
        value = qFromLittleEndian(le);
        return *this;
    }

private:
    bool FillBuffer();

    QIODevice* m_device;
    Mode m_mode;
    std::vector<char> m_buffer;
    std::vector<char> m_block;  // a block that ran past the end of m_buffer
    size_t m_pos = 0;  // next byte to read, or bytes buffered for writing
    size_t m_end = 0;  // end of the bytes read ahead
    qint64 m_deviceSize = -1;  // a loaded file's or buffer's size; -1 for a sequential device
};
