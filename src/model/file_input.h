#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <streambuf>

/// Reads a file descriptor, which it owns and closes: buffered reads, and seeks that the
/// descriptor allows.
class FileDescriptorBuffer : public std::streambuf {
public:
    explicit FileDescriptorBuffer(int fd) : fd_(fd) {}
    ~FileDescriptorBuffer() override;
    FileDescriptorBuffer(const FileDescriptorBuffer&) = delete;
    FileDescriptorBuffer& operator=(const FileDescriptorBuffer&) = delete;

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* to, std::streamsize count) override;
    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode which) override;
    pos_type seekpos(pos_type pos, std::ios::openmode which) override;

private:
    int fd_;
    std::array<char, 8192> buffer_{};
};

/// A regular file opened for reading by `OpenRegularFile`, or a stream in the failed state when
/// it was refused.
class RegularFileStream : public std::istream {
public:
    /// Takes `fd` (a regular file, open for reading) with its `size`; -1 gives a failed stream.
    RegularFileStream(int fd, std::uintmax_t size);
    RegularFileStream(const RegularFileStream&) = delete;
    RegularFileStream& operator=(const RegularFileStream&) = delete;

    /// The file's size when it was opened; 0 when it was refused.
    std::uintmax_t Size() const { return size_; }

private:
    FileDescriptorBuffer buffer_;
    std::uintmax_t size_;
};

/// Opens `path` for reading when it names a regular file, following symbolic links. Anything
/// else (missing, a named pipe, a socket, a device, a folder) gives a stream in the failed
/// state: opening a named pipe waits for a writer that may never come, and a device can be read
/// without end. The check is made on the object opened, without waiting, so a path that is
/// swapped between the check and the read can never make the call wait. The core opens every
/// file it reads here.
RegularFileStream OpenRegularFile(const std::filesystem::path& path);
