// The byte storage every record is written to and read from, the file-backed
// and memory-backed implementations, and the 8-byte file header.
//
// Integers are written as their little-endian 4-byte image; texts as a 4-byte
// length and that many bytes; numbers as their text. Nothing is converted.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace tovimat {

class algStor {
public:
    algStor() = default;
    algStor(const algStor&) {}
    algStor& operator=(const algStor&) { return *this; }
    virtual ~algStor() = default;

    // Reads up to count bytes; answers how many were read.
    virtual int read(void* buffer, int count) = 0;
    virtual void write(const void* buffer, int count) = 0;

    // The values that references share are numbered within one stream, so
    // that every reference to one value names the same number: by the value
    // when writing, and the value built for a number when reading.
    std::unordered_map<const void*, std::int32_t> sharedWritten;
    std::unordered_map<std::int32_t, void*> sharedRead;
};

// A binary, unconverted file stream.
class algStream : public algStor, public std::fstream {
public:
    algStream(const char* path, std::ios::openmode mode, int protection = 0);
    algStream(const algStream&) = delete;
    algStream& operator=(const algStream&) = delete;
    ~algStream() override;

    int read(void* buffer, int count) override;
    void write(const void* buffer, int count) override;
};

// An in-memory stream: writes append, reads advance a cursor.
class memStor : public algStor {
public:
    memStor() = default;
    explicit memStor(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    memStor(const void* data, size_t size);

    int read(void* buffer, int count) override;
    void write(const void* buffer, int count) override;

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    size_t position() const { return pos_; }
    void rewind() { pos_ = 0; }

private:
    std::vector<std::uint8_t> bytes_;
    size_t pos_ = 0;
};

constexpr std::uint32_t algFileMagic = 0x11116701;
constexpr std::uint32_t algFileVersion = 0x00010003;

void setAlgFile(algStor& s);
// Refuses a file whose magic or version differs, with a beep and a message.
bool chkAlgFile(algStor& s);

// Little-endian integer and byte helpers shared by every record.
void writeInt(algStor& s, std::int32_t v);
void writeByte(algStor& s, std::uint8_t v);

}  // namespace tovimat
