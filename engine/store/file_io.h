// Whole files in and out of memory: a document is put together in memory,
// then replaces its file in one step, and a file is read whole before its
// records are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovimat {

class protocol;

// Replaces the file at path with size bytes from data. The bytes go to a
// temporary file in the same folder, which is flushed to the disk and renamed
// over path; the folder is flushed after. On any failure the file at path is
// as it was, the temporary file is gone, and reason holds the system's text
// for what went wrong ("No space left on device").
//
// A path that is a symbolic link replaces the file the link points to and
// leaves the link. A file that is replaced keeps its permission bits (and
// its owner and group where the process may set them); a new file gets the
// permissions the process's umask gives new files. A device or a named pipe
// (/dev/null) cannot be replaced: the bytes are written to it directly.
bool replaceFile(const std::string& path, const void* data, size_t size, std::string& reason);

// Reads the whole file at path. Pipes and terminals (/dev/stdin) are read to
// their end just like regular files. On failure reason holds the system's text.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& reason);
// The same for an open descriptor, read from where it stands to its end.
bool readWholeDescriptor(int fd, std::vector<std::uint8_t>& bytes, std::string& reason);

// Saves the document into the file at path with replaceFile. On failure the
// document is marked modified, and error names the file and the reason
// ("cannot write /tmp/a.vlm: No space left on device").
bool saveDocumentFile(protocol& doc, const std::string& path, std::string& error);

namespace testing {

// While set, the writes of replaceFile fail with "No space left on device"
// once `bytes` more bytes have been written, as a full disk does; -1 (the
// default) never fails.
void setWriteBudget(long long bytes);

}  // namespace testing

}  // namespace tovimat
