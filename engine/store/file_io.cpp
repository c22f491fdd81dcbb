#include "store/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

#include "model/document.h"
#include "store/stream.h"

namespace tovimat {

namespace {

std::atomic<long long> writeBudget{-1};

std::string systemReason(int error) { return std::strerror(error); }

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links to the file they finally name, so that saving
// through a link replaces that file and keeps the link. Answers false (errno
// set) for a loop of links.
bool followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string to(size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), to.data(), to.size());
        if (n < 0) return false;
        to.resize(size_t(n));
        if (!to.starts_with('/') && target.find('/') != std::string::npos)
            to = target.substr(0, target.rfind('/') + 1) + to;
        target = std::move(to);
    }
    errno = ELOOP;
    return false;
}

// Creates a new, empty file beside the target whose name nobody else uses.
int createTemporary(const std::string& target, std::string& name) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    // The name is cut so that the temporary name stays within a file name's
    // length limit.
    const std::string base = (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 200);
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "." + base + "." + std::to_string(entropy() % 1000000000u) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, const std::uint8_t* p, size_t n) {
    constexpr size_t kBlock = size_t(1) << 20;
    while (n > 0) {
        size_t chunk = std::min(n, kBlock);
        const long long budget = writeBudget.load();
        if (budget == 0) {
            errno = ENOSPC;
            return false;
        }
        if (budget > 0) chunk = std::min(chunk, size_t(budget));
        const ssize_t written = ::write(fd, p, chunk);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (budget > 0) writeBudget -= written;
        p += written;
        n -= size_t(written);
    }
    return true;
}

// The replaced file's permission bits, owner and group go to the new one.
// Only root may give a file away, so owner and group are a best effort.
bool keepAttributes(int fd, const struct stat& old) {
    if (::fchmod(fd, old.st_mode & 07777) != 0) return false;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchmod(fd, old.st_mode & 0777);
    return true;
}

// The rename is on the disk only once its folder is. A failure here leaves
// the new file in place under its name, so it is not reported as a failed
// save: the folder is flushed at the latest when the system syncs.
void flushFolder(const std::string& target) {
    const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    (void)::fsync(dir);
    ::close(dir);
}

// Devices and pipes (/dev/null, a named pipe) cannot be replaced by a file:
// they are written to as they are.
bool writeInPlace(const std::string& target, const void* data, size_t size, std::string& reason) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    bool written = fd >= 0 && writeAll(fd, static_cast<const std::uint8_t*>(data), size);
    int error = written ? 0 : errno;
    if (fd >= 0 && ::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) reason = systemReason(error);
    return written;
}

}  // namespace

bool replaceFile(const std::string& path, const void* data, size_t size, std::string& reason) {
    std::string target;
    if (!followLinks(path, target)) {
        reason = systemReason(errno);
        return false;
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        reason = systemReason(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) return writeInPlace(target, data, size, reason);
    std::string temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    bool written = (!exists || keepAttributes(fd, old)) &&
                   writeAll(fd, static_cast<const std::uint8_t*>(data), size) && ::fsync(fd) == 0;
    int error = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.c_str(), target.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        reason = systemReason(error);
        return false;
    }
    flushFolder(target);
    return true;
}

bool readWholeDescriptor(int fd, std::vector<std::uint8_t>& bytes, std::string& reason) {
    bytes.clear();
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) bytes.reserve(size_t(st.st_size));
    std::uint8_t block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            reason = systemReason(errno);
            return false;
        }
        bytes.insert(bytes.end(), block, block + n);
    }
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    const bool read = readWholeDescriptor(fd, bytes, reason);
    ::close(fd);
    return read;
}

bool saveDocumentFile(protocol& doc, const std::string& path, std::string& error) {
    // The whole document is put together first: nothing reaches the disk
    // unless all of it can.
    memStor bytes;
    std::string reason;
    if (!doc.save(bytes))
        reason = "the document could not be written";
    else if (replaceFile(path, bytes.bytes().data(), bytes.bytes().size(), reason))
        return true;
    doc.setModified(true);
    error = "cannot write " + path + ": " + reason;
    return false;
}

namespace testing {

void setWriteBudget(long long bytes) { writeBudget = bytes < 0 ? -1 : bytes; }

}  // namespace testing

}  // namespace tovimat
