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

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pictaron {

class RegularFile {
public:
    // Opens the file for reading; IsOpen() tells whether that worked, and
    // Problem() why not.
    explicit RegularFile(const std::string& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool IsOpen() const { return descriptor_ >= 0; }
    // Nothing is there under the name.
    bool IsMissing() const { return missing_; }
    // Why the file cannot be read, as a sentence that does not name the file
    // ("It is a named pipe, not a file."); empty while all is well.
    const std::string& Problem() const { return problem_; }
    // The size the system gives for the open file.
    std::int64_t Size() const { return size_; }

    // Refuses (returns false, with Problem() saying so) a file larger than
    // maxBytes.
    bool CheckSize(std::int64_t maxBytes);
    // The first maxBytes bytes, or all of the file when it is shorter. With
    // wholeFile, a file that holds more than maxBytes is refused instead.
    // Empty with Problem() set when reading fails.
    std::string Read(std::int64_t maxBytes, bool wholeFile);
    // The whole file mapped read-only, or an empty view (a problem, or an
    // empty file). The mapping lasts as long as this object.
    std::string_view Map();

private:
    bool Refuse(std::string reason);

    int descriptor_ = -1;
    bool missing_ = false;
    std::int64_t size_ = 0;
    void* mapped_ = nullptr;
    std::size_t mappedLength_ = 0;
    std::string problem_;
};

// The whole file; a PictaronError "Cannot read <file>.  <reason>" when it is
// not a regular file, holds more than maxBytes or cannot be read.
std::string ReadWholeFile(const std::string& path, std::int64_t maxBytes);

// The first maxBytes bytes of a regular file of any size (all of it when it is
// shorter); errors as ReadWholeFile.
std::string ReadFileStart(const std::string& path, std::int64_t maxBytes);

// A size for messages: "772 bytes", "4.00 GiB".
std::string DescribeFileSize(std::int64_t bytes);

} // namespace pictaron
