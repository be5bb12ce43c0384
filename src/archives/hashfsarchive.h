// The game's own archives (.scs, "SCS#"): HashFS version 1 (the game up to 1.49, still used by
// mods) and version 2 (the base game since 1.50). Entries are found by the CityHash64 of their
// path; folders are listings stored as entries of their own.
#pragma once

#include "archives/archivesupport.h"
#include "archives/bytesource.h"
#include "archives/gamefilesource.h"

#include <memory>

namespace kvn::archives {

// Common to both versions: the salted path hash, sorted entries, and the listing rules.
class THashFsArchive : public IGameFileSource {
public:
    std::string Describe() const override { return FName; }
    bool HasFile(std::string_view Path) const override;
    bool ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const override;
    bool ListFolder(std::string_view Path, std::vector<TFolderEntry> &Entries) const override;
    std::vector<std::string> Problems() const override { return FProblems.Messages(); }

    std::uint64_t PathHash(std::string_view NormalisedPath) const;

protected:
    struct TEntry {
        std::uint64_t Hash = 0;
        bool IsFolder = false;
        std::size_t Index = 0; // the version's own record
    };
    THashFsArchive(std::unique_ptr<IByteSource> Bytes, std::string Name, std::uint16_t Salt);

    // Sorts the entries for lookup; call once the table is read.
    void SetEntries(std::vector<TEntry> Entries);
    // The content of one entry (a file, or a folder's raw listing).
    virtual bool ReadEntry(const TEntry &Entry, std::vector<std::uint8_t> &Bytes, std::string &Error) const = 0;
    // Names of a folder from its listing entries (several when a listing is split).
    virtual void ParseListing(std::string_view Folder, const std::vector<const TEntry *> &Parts,
                              std::vector<TFolderEntry> &Entries) const = 0;
    // Adds one listed name, unless it is malformed or names the folder itself.
    void AddListedName(std::string_view Folder, std::string_view Name, bool IsFolder,
                       std::vector<TFolderEntry> &Entries) const;
    std::string EntryError(std::string_view Path, const std::string &Why) const;

    std::unique_ptr<IByteSource> FBytes;
    std::string FName;
    TProblemLog FProblems;

private:
    std::vector<const TEntry *> Find(std::uint64_t Hash) const;

    std::uint16_t FSalt;
    std::vector<TEntry> FEntries;
};

class THashFsV1Archive final : public THashFsArchive {
public:
    // None, with Error, when the header or the entry table is unusable.
    static std::unique_ptr<THashFsV1Archive> Open(std::unique_ptr<IByteSource> Bytes, std::string Name,
                                                  std::string &Error);

private:
    struct TRecord {
        std::uint64_t Offset = 0;
        std::uint32_t Flags = 0;
        std::uint32_t Size = 0;
        std::uint32_t StoredSize = 0;
    };
    using THashFsArchive::THashFsArchive;
    bool ReadEntry(const TEntry &Entry, std::vector<std::uint8_t> &Bytes, std::string &Error) const override;
    void ParseListing(std::string_view Folder, const std::vector<const TEntry *> &Parts,
                      std::vector<TFolderEntry> &Entries) const override;

    std::vector<TRecord> FRecords;
};

class THashFsV2Archive final : public THashFsArchive {
public:
    static std::unique_ptr<THashFsV2Archive> Open(std::unique_ptr<IByteSource> Bytes, std::string Name,
                                                  std::string &Error);

private:
    struct TRecord {
        std::uint32_t MetadataIndex = 0;
        std::uint16_t MetadataCount = 0;
    };
    using THashFsArchive::THashFsArchive;
    bool ReadEntry(const TEntry &Entry, std::vector<std::uint8_t> &Bytes, std::string &Error) const override;
    void ParseListing(std::string_view Folder, const std::vector<const TEntry *> &Parts,
                      std::vector<TFolderEntry> &Entries) const override;

    std::vector<TRecord> FRecords;
    std::vector<std::uint32_t> FMetadata;
};

} // namespace kvn::archives
