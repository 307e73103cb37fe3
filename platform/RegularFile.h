#pragma once
// The program reads regular files only. A FIFO, a device or a socket named where a file is
// expected would stop the interface on open or on read (a FIFO waits for a writer, a device may
// never end): such names are refused before anything is opened.

class QFile;
class QString;

// True when path names a regular file, links followed.
bool IsRegularFile(const QString& path);

// Opens path for reading when it is a regular file; never waits. Returns false, with file
// left closed, for anything else, a missing file included, and when it cannot be opened.
bool OpenRegularFile(QFile& file, const QString& path);
