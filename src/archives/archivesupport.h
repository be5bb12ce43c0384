// What every archive reader needs: game paths in one canonical form, the names a folder listing
// may hold, bounded inflation, and a log of the damage found while reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvn::archives {

// No single entry is read beyond this, whatever an archive declares: the game's definition files
// are kilobytes, and a hostile size must not become a huge allocation.
inline constexpr std::uint64_t MaxEntryBytes = 256u << 20;

// "def/city.sii" from "/def//city.sii/" or "def/./city.sii"; none for a path that climbs out with
// ".." or holds a NUL. The root folder is "".
std::optional<std::string> NormaliseGamePath(std::string_view Path);

// A name a folder listing may hand on: not empty, not "." or "..", no '/', '\\' or NUL. Anything else
// could make a listing name itself or point outside its folder.
bool IsPlainEntryName(std::string_view Name);

// Joins a folder path and an entry name ("" + "def" = "def").
std::string JoinGamePath(std::string_view Folder, std::string_view Name);

enum class TDeflateFormat { Zlib, Raw };

// Inflates Input into exactly ExpectedSize bytes. The output grows only as data arrives, so a false
// ExpectedSize costs nothing; more or fewer bytes than declared, or a damaged stream, fail.
bool InflateExact(std::span<const std::uint8_t> Input, std::uint64_t ExpectedSize, TDeflateFormat Format,
                  std::vector<std::uint8_t> &Output, std::string &Error);

std::uint32_t Crc32(std::span<const std::uint8_t> Bytes);

// Thread-safe list of problems met in one archive, kept short: the first ones tell the story.
class TProblemLog {
public:
    void Add(std::string Message) const;
    std::vector<std::string> Messages() const;

private:
    static constexpr std::size_t MaxMessages = 50;
    mutable std::mutex FMutex;
    mutable std::vector<std::string> FMessages;
    mutable std::size_t FDropped = 0;
};

inline std::uint16_t LoadU16(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t LoadU32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline std::uint64_t LoadU64(const std::uint8_t *p)
{
    return std::uint64_t(LoadU32(p)) | std::uint64_t(LoadU32(p + 4)) << 32;
}

} // namespace kvn::archives
