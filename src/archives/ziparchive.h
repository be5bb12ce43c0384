// ZIP packages of mods (.scs or .zip). Read as the game reads them: from the central directory
// alone, since "locked" mods break their local headers on purpose. Stored and deflated entries.
#pragma once

#include "archives/archivesupport.h"
#include "archives/bytesource.h"
#include "archives/gamefilesource.h"

#include <map>
#include <memory>
#include <set>

namespace kvn::archives {

class TZipArchive final : public IGameFileSource {
public:
    // None, with Error, when no usable central directory is found.
    static std::unique_ptr<TZipArchive> Open(std::unique_ptr<IByteSource> Bytes, std::string Name, std::string &Error);

    std::string Describe() const override { return FName; }
    bool HasFile(std::string_view Path) const override;
    bool ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const override;
    bool ListFolder(std::string_view Path, std::vector<TFolderEntry> &Entries) const override;
    std::vector<std::string> Problems() const override { return FProblems.Messages(); }

private:
    struct TEntry {
        std::uint16_t Flags = 0;
        std::uint16_t Method = 0;
        std::uint32_t Crc = 0;
        std::uint64_t StoredSize = 0;
        std::uint64_t Size = 0;
        std::uint64_t HeaderOffset = 0;
        std::uint16_t CentralNameLength = 0;
        std::uint16_t CentralExtraLength = 0;
    };
    TZipArchive(std::unique_ptr<IByteSource> Bytes, std::string Name);
    bool ReadCentralDirectory(std::string &Error);
    void AddEntry(std::string_view RawName, const TEntry &Entry);
    void AddFolder(const std::string &Path);
    bool ReadEntry(const TEntry &Entry, std::vector<std::uint8_t> &Bytes, std::string &Error) const;
    bool DecodeAt(const TEntry &Entry, std::uint64_t DataOffset, std::vector<std::uint8_t> &Bytes,
                  std::string &Error) const;

    std::unique_ptr<IByteSource> FBytes;
    std::string FName;
    TProblemLog FProblems;
    std::map<std::string, TEntry, std::less<>> FFiles;
    std::map<std::string, std::set<std::pair<std::string, bool>>, std::less<>> FFolders;
};

} // namespace kvn::archives
