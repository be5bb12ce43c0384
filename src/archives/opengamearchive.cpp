#include "archives/opengamearchive.h"

#include "archives/foldersource.h"
#include "archives/hashfsarchive.h"
#include "archives/ziparchive.h"

#include <cstring>

namespace kvn::archives {

std::unique_ptr<IGameFileSource> OpenGameArchive(std::unique_ptr<IByteSource> Bytes, const std::string &Name,
                                                 std::string &Error)
{
    std::string why;
    std::unique_ptr<IGameFileSource> archive;
    std::uint8_t magic[6] = {};
    if (Bytes->ReadAt(0, sizeof magic, magic) && std::memcmp(magic, "SCS#", 4) == 0) {
        const std::uint16_t version = LoadU16(magic + 4);
        if (version == 1)
            archive = THashFsV1Archive::Open(std::move(Bytes), Name, why);
        else if (version == 2)
            archive = THashFsV2Archive::Open(std::move(Bytes), Name, why);
        else
            why = "it is a HashFS archive of version " + std::to_string(version) + ", which this program cannot read";
    } else {
        // No "PK" check: locked mods break the first local header, the central directory decides.
        archive = TZipArchive::Open(std::move(Bytes), Name, why);
    }
    if (!archive)
        Error = Name + ": " + why;
    return archive;
}

std::unique_ptr<IGameFileSource> OpenGameArchive(const std::filesystem::path &Path, std::string &Error)
{
    const std::u8string text = Path.u8string();
    const std::string name(text.begin(), text.end());
    std::error_code ec;
    if (std::filesystem::is_directory(Path, ec))
        return std::make_unique<TFolderSource>(Path);
    std::string why;
    auto bytes = OpenFileBytes(Path, why);
    if (!bytes) {
        Error = name + ": " + why;
        return nullptr;
    }
    return OpenGameArchive(std::move(bytes), name, Error);
}

} // namespace kvn::archives
