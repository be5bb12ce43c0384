#include "archives/bytesource.h"

#include <algorithm>
#include <fstream>
#include <mutex>

namespace kvn::archives {
namespace {

class TFileBytes final : public IByteSource {
public:
    TFileBytes(std::ifstream Stream, std::uint64_t Size) : FStream(std::move(Stream)), FSize(Size) {}
    std::uint64_t Size() const override { return FSize; }
    bool ReadAt(std::uint64_t Offset, std::size_t Length, std::uint8_t *Buffer) const override
    {
        if (!Contains(Offset, Length))
            return false;
        if (Length == 0)
            return true;
        // One stream shared by all readers: seek and read must not interleave.
        std::lock_guard lock(FMutex);
        FStream.clear();
        FStream.seekg(static_cast<std::streamoff>(Offset));
        FStream.read(reinterpret_cast<char *>(Buffer), static_cast<std::streamsize>(Length));
        return FStream.gcount() == static_cast<std::streamsize>(Length);
    }

private:
    mutable std::mutex FMutex;
    mutable std::ifstream FStream;
    std::uint64_t FSize;
};

class TMemoryBytes final : public IByteSource {
public:
    explicit TMemoryBytes(std::vector<std::uint8_t> Bytes) : FBytes(std::move(Bytes)) {}
    std::uint64_t Size() const override { return FBytes.size(); }
    bool ReadAt(std::uint64_t Offset, std::size_t Length, std::uint8_t *Buffer) const override
    {
        if (!Contains(Offset, Length))
            return false;
        if (Length)
            std::copy_n(FBytes.data() + Offset, Length, Buffer);
        return true;
    }

private:
    std::vector<std::uint8_t> FBytes;
};

} // namespace

std::unique_ptr<IByteSource> OpenFileBytes(const std::filesystem::path &Path, std::string &Error)
{
    std::ifstream stream(Path, std::ios::binary);
    if (!stream) {
        Error = "cannot open the file";
        return nullptr;
    }
    stream.seekg(0, std::ios::end);
    const std::streamoff size = stream.tellg();
    if (size < 0) {
        Error = "cannot read the file";
        return nullptr;
    }
    return std::make_unique<TFileBytes>(std::move(stream), static_cast<std::uint64_t>(size));
}

std::unique_ptr<IByteSource> MemoryBytes(std::vector<std::uint8_t> Bytes)
{
    return std::make_unique<TMemoryBytes>(std::move(Bytes));
}

} // namespace kvn::archives
