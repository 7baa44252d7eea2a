// Reading a file the user named without trusting what it is.
//
// A name can lead to a named pipe, whose open() waits for a writer forever, to
// a device such as /dev/zero that never ends, to a socket or a folder, or to a
// regular file of many gigabytes. Every file the program reads for the user
// (pictures, the blend picture, palettes, the work file) is opened here: the
// name is looked up first and anything but a regular file refused before any
// open() that could wait; the open itself does not wait either, and what was
// opened is checked again, so a name swapped in between is caught. A size
// limit is checked before a byte is read and again while reading, for files
// that grow or whose size the system does not know (/proc).
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace pictaron {

class RegularFile {
public:
    // Opens the file for reading; IsOpen() tells whether that worked, and
    // Problem() why not.
    explicit RegularFile(const QString& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool IsOpen() const { return descriptor_ >= 0; }
    // Nothing is there under the name.
    bool IsMissing() const { return missing_; }
    // Why the file cannot be read, as a sentence that does not name the file
    // ("It is a named pipe, not a file."); empty while all is well.
    const QString& Problem() const { return problem_; }
    // The size the system gives for the open file.
    qint64 Size() const { return size_; }

    // Refuses (returns false, with Problem() saying so) a file larger than
    // maxBytes.
    bool CheckSize(qint64 maxBytes);
    // The first maxBytes bytes, or all of the file when it is shorter. With
    // wholeFile, a file that holds more than maxBytes is refused instead.
    // Empty with Problem() set when reading fails.
    QByteArray Read(qint64 maxBytes, bool wholeFile);
    // The whole file mapped read-only, or null (a problem, or an empty file).
    // The mapping lasts as long as this object.
    const uchar* Map();

private:
    bool Refuse(const QString& reason);

    int descriptor_ = -1;
    bool missing_ = false;
    qint64 size_ = 0;
    void* mapped_ = nullptr;
    std::size_t mappedLength_ = 0;
    QString problem_;
};

// The whole file; a PictaronError "Cannot read <file>.  <reason>" when it is
// not a regular file, holds more than maxBytes or cannot be read.
QByteArray ReadWholeFile(const QString& path, qint64 maxBytes);

// The first maxBytes bytes of a regular file of any size (all of it when it is
// shorter); errors as ReadWholeFile.
QByteArray ReadFileStart(const QString& path, qint64 maxBytes);

// A size for messages: "772 bytes", "4.00 GiB".
QString DescribeFileSize(qint64 bytes);

} // namespace pictaron
