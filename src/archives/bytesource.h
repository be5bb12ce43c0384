// Random access to the bytes of an archive: a file on disk, or memory (tests and fuzzing). Every
// read is checked against the size, so a reader can take offsets straight from untrusted tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kvn::archives {

class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Exactly Length bytes from Offset; false when they lie outside the source or cannot be read.
    // Safe to call from several threads at once.
    virtual bool ReadAt(std::uint64_t Offset, std::size_t Length, std::uint8_t *Buffer) const = 0;

    bool Contains(std::uint64_t Offset, std::uint64_t Length) const
    {
        return Offset <= Size() && Length <= Size() - Offset;
    }
};

std::unique_ptr<IByteSource> OpenFileBytes(const std::filesystem::path &Path, std::string &Error);
std::unique_ptr<IByteSource> MemoryBytes(std::vector<std::uint8_t> Bytes);

} // namespace kvn::archives
