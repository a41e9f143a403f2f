#include "model/file_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

FileDescriptorBuffer::~FileDescriptorBuffer() {
    if (fd_ >= 0)
        close(fd_);
}

namespace {
/// Up to `count` bytes from `fd`; 0 at the end of the file or on an error.
size_t ReadSome(int fd, char* to, size_t count) {
    if (fd < 0)
        return 0;
    ssize_t got;
    do
        got = read(fd, to, count);
    while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<size_t>(got) : 0;
}
} // namespace

FileDescriptorBuffer::int_type FileDescriptorBuffer::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    const size_t got = ReadSome(fd_, buffer_.data(), buffer_.size());
    if (got == 0)
        return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(*gptr());
}

std::streamsize FileDescriptorBuffer::xsgetn(char* to, std::streamsize count) {
    // What is buffered, then a large rest straight from the descriptor, without the copy.
    std::streamsize done = std::min<std::streamsize>(count, egptr() - gptr());
    if (done > 0) {
        std::memcpy(to, gptr(), static_cast<size_t>(done));
        gbump(static_cast<int>(done));
    }
    while (count - done >= static_cast<std::streamsize>(buffer_.size())) {
        const size_t got = ReadSome(fd_, to + done, static_cast<size_t>(count - done));
        if (got == 0)
            return done;
        done += static_cast<std::streamsize>(got);
    }
    if (done < count)
        done += std::streambuf::xsgetn(to + done, count - done);
    return done;
}

FileDescriptorBuffer::pos_type FileDescriptorBuffer::seekoff(off_type off, std::ios::seekdir dir,
                                                             std::ios::openmode which) {
    if (fd_ < 0 || !(which & std::ios::in))
        return pos_type(off_type(-1));
    int whence = SEEK_SET;
    if (dir == std::ios::cur) {
        // The descriptor stands past what is buffered and not yet taken.
        off -= egptr() - gptr();
        whence = SEEK_CUR;
    } else if (dir == std::ios::end) {
        whence = SEEK_END;
    }
    const off_t at = lseek(fd_, static_cast<off_t>(off), whence);
    if (at < 0)
        return pos_type(off_type(-1));
    setg(buffer_.data(), buffer_.data(), buffer_.data());
    return pos_type(off_type(at));
}

FileDescriptorBuffer::pos_type FileDescriptorBuffer::seekpos(pos_type pos,
                                                             std::ios::openmode which) {
    return seekoff(off_type(pos), std::ios::beg, which);
}

RegularFileStream::RegularFileStream(int fd, std::uintmax_t size)
    : std::istream(nullptr), buffer_(fd), size_(fd < 0 ? 0 : size) {
    init(&buffer_);
    if (fd < 0)
        setstate(std::ios::failbit);
}

RegularFileStream OpenRegularFile(const std::filesystem::path& path) {
    // Looking first keeps a path that names something else from being opened at all (opening
    // some devices has effects of its own); the object opened is then looked at again, as the
    // path may have been swapped meanwhile.
    struct stat seen {};
    if (stat(path.c_str(), &seen) != 0 || !S_ISREG(seen.st_mode))
        return RegularFileStream(-1, 0);
    // Without O_NONBLOCK, opening a named pipe waits for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return RegularFileStream(-1, 0);
    struct stat opened {};
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return RegularFileStream(-1, 0);
    }
    return RegularFileStream(fd, static_cast<std::uintmax_t>(opened.st_size));
}
