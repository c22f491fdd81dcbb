#include "store/stream.h"

#include <cstring>

#include "platform/messages.h"

namespace tovimat {

algStream::algStream(const char* path, std::ios::openmode mode, int) : std::fstream(path, mode | std::ios::binary) {}

algStream::~algStream() {
    if (is_open()) close();
}

int algStream::read(void* buffer, int count) {
    if (count <= 0 || !good()) return 0;
    std::fstream::read(static_cast<char*>(buffer), count);
    return int(gcount());
}

void algStream::write(const void* buffer, int count) {
    if (count > 0) std::fstream::write(static_cast<const char*>(buffer), count);
}

memStor::memStor(const void* data, size_t size)
    : bytes_(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size) {}

int memStor::read(void* buffer, int count) {
    if (count <= 0 || pos_ >= bytes_.size()) return 0;
    size_t n = std::min(size_t(count), bytes_.size() - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return int(n);
}

void memStor::write(const void* buffer, int count) {
    if (count <= 0) return;
    auto* p = static_cast<const std::uint8_t*>(buffer);
    bytes_.insert(bytes_.end(), p, p + count);
}

void writeInt(algStor& s, std::int32_t v) {
    std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    s.write(b, 4);
}

void writeByte(algStor& s, std::uint8_t v) { s.write(&v, 1); }

namespace {

// A short read is never a match: the missing bytes of a version word cut
// after its low bytes would otherwise read as the zero high byte it has.
bool readHeaderWord(algStor& s, std::uint32_t expected) {
    std::uint8_t b[4] = {0, 0, 0, 0};
    if (s.read(b, 4) != 4) return false;
    return (std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
            std::uint32_t(b[3]) << 24) == expected;
}

}  // namespace

void setAlgFile(algStor& s) {
    writeInt(s, std::int32_t(algFileMagic));
    writeInt(s, std::int32_t(algFileVersion));
}

bool chkAlgFile(algStor& s) {
    if (!readHeaderWord(s, algFileMagic)) {
        MessageBeep(MB_ICONERROR);
        MessageBoxA(nullptr, "Bad file format", "Error", MB_ICONERROR);
        return false;
    }
    if (!readHeaderWord(s, algFileVersion)) {
        MessageBeep(MB_ICONERROR);
        MessageBoxA(nullptr, "Unsupported format version", "Error", MB_ICONERROR);
        return false;
    }
    return true;
}

}  // namespace tovimat
