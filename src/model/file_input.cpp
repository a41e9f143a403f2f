#include "model/file_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

FileDescriptorBuffer::~FileDescriptorBuffer() {
    if (fd_ >= 0)
        close(fd_);
}

FileDescriptorBuffer::int_type FileDescriptorBuffer::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (fd_ < 0)
        return traits_type::eof();
    ssize_t got;
    do
        got = read(fd_, buffer_.data(), buffer_.size());
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(*gptr());
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
