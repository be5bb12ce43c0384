#include "archives/hashfsarchive.h"

#include "archives/cityhash.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace kvn::archives {
namespace {

constexpr std::uint32_t V1FlagFolder = 1u << 0;
constexpr std::uint32_t V1FlagCompressed = 1u << 1;
constexpr std::uint32_t V1FlagEncrypted = 1u << 3;
constexpr std::size_t V1HeaderBytes = 20;
constexpr std::size_t V1RecordBytes = 32;

constexpr std::size_t V2HeaderBytes = 53;
constexpr std::size_t V2RecordBytes = 16;
constexpr std::uint16_t V2FlagFolder = 1u << 0;
constexpr std::uint32_t V2TypePlain = 128;
constexpr std::uint32_t V2TypeFolder = 129;

bool ReadHeader(const IByteSource &Bytes, std::size_t Length, std::vector<std::uint8_t> &Header, std::string &Error)
{
    Header.resize(Length);
    if (!Bytes.ReadAt(0, Length, Header.data())) {
        Error = "the file is too short for an archive header";
        return false;
    }
    if (std::memcmp(Header.data() + 8, "CITY", 4) != 0) {
        Error = "the archive uses a path hash this program does not know";
        return false;
    }
    return true;
}

// A compressed table of the v2 header, read and inflated; the table may never be larger than the
// archive that holds it.
bool ReadV2Table(const IByteSource &Bytes, std::uint64_t Offset, std::uint32_t StoredSize, std::uint64_t Count,
                 std::size_t ItemBytes, const char *What, std::vector<std::uint8_t> &Table, std::string &Error)
{
    if (Count > Bytes.Size() / ItemBytes) {
        Error =
            std::string("the ") + What + " declares " + std::to_string(Count) + " items, more than the file can hold";
        return false;
    }
    std::vector<std::uint8_t> stored;
    if (!Bytes.Contains(Offset, StoredSize)) {
        Error = std::string("the ") + What + " lies outside the file (the archive is truncated or damaged)";
        return false;
    }
    stored.resize(StoredSize);
    if (!Bytes.ReadAt(Offset, StoredSize, stored.data())) {
        Error = std::string("cannot read the ") + What;
        return false;
    }
    std::string why;
    if (!InflateExact(stored, Count * ItemBytes, TDeflateFormat::Zlib, Table, why)) {
        Error = std::string("the ") + What + " is damaged: " + why;
        return false;
    }
    return true;
}

} // namespace

THashFsArchive::THashFsArchive(std::unique_ptr<IByteSource> Bytes, std::string Name, std::uint16_t Salt)
    : FBytes(std::move(Bytes)), FName(std::move(Name)), FSalt(Salt)
{
}

std::uint64_t THashFsArchive::PathHash(std::string_view NormalisedPath) const
{
    if (FSalt == 0)
        return CityHash64(NormalisedPath);
    const std::string salted = std::to_string(FSalt) + std::string(NormalisedPath);
    return CityHash64(salted);
}

void THashFsArchive::SetEntries(std::vector<TEntry> Entries)
{
    // Stable: the parts of a split listing stay in the order the table gives them.
    std::stable_sort(Entries.begin(), Entries.end(), [](const TEntry &a, const TEntry &b) { return a.Hash < b.Hash; });
    FEntries = std::move(Entries);
}

std::vector<const THashFsArchive::TEntry *> THashFsArchive::Find(std::uint64_t Hash) const
{
    auto [first, last] = std::equal_range(FEntries.begin(), FEntries.end(), TEntry{Hash, false, 0},
                                          [](const TEntry &a, const TEntry &b) { return a.Hash < b.Hash; });
    std::vector<const TEntry *> found;
    for (auto it = first; it != last; ++it)
        found.push_back(&*it);
    return found;
}

bool THashFsArchive::HasFile(std::string_view Path) const
{
    const auto path = NormaliseGamePath(Path);
    if (!path)
        return false;
    for (const TEntry *e : Find(PathHash(*path)))
        if (!e->IsFolder)
            return true;
    return false;
}

std::string THashFsArchive::EntryError(std::string_view Path, const std::string &Why) const
{
    return FName + ": \"" + std::string(Path) + "\" " + Why;
}

bool THashFsArchive::ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const
{
    Bytes.clear();
    const auto path = NormaliseGamePath(Path);
    if (!path) {
        Error = EntryError(Path, "is not a valid path");
        return false;
    }
    bool folder = false;
    for (const TEntry *e : Find(PathHash(*path))) {
        if (e->IsFolder) {
            folder = true;
            continue;
        }
        std::string why;
        if (ReadEntry(*e, Bytes, why))
            return true;
        Bytes.clear();
        Error = EntryError(*path, why);
        FProblems.Add(Error);
        return false;
    }
    Error = EntryError(*path, folder ? "is a folder, not a file" : "is not in the archive");
    return false;
}

bool THashFsArchive::ListFolder(std::string_view Path, std::vector<TFolderEntry> &Entries) const
{
    Entries.clear();
    const auto path = NormaliseGamePath(Path);
    if (!path)
        return false;
    std::vector<const TEntry *> parts;
    for (const TEntry *e : Find(PathHash(*path)))
        if (e->IsFolder)
            parts.push_back(e);
    if (parts.empty())
        return false;
    std::vector<TFolderEntry> listed;
    ParseListing(*path, parts, listed);
    // Split listings may repeat names; one of each, in a stable order.
    std::set<std::pair<std::string, bool>> seen;
    for (TFolderEntry &entry : listed)
        if (seen.emplace(entry.Name, entry.IsFolder).second)
            Entries.push_back(std::move(entry));
    return true;
}

void THashFsArchive::AddListedName(std::string_view Folder, std::string_view Name, bool IsFolder,
                                   std::vector<TFolderEntry> &Entries) const
{
    if (!IsPlainEntryName(Name)) {
        FProblems.Add(FName + ": the listing of \"" + std::string(Folder) + "\" holds a malformed name, skipped");
        return;
    }
    if (IsFolder && PathHash(JoinGamePath(Folder, Name)) == PathHash(Folder)) {
        FProblems.Add(FName + ": the listing of \"" + std::string(Folder) + "\" names itself, skipped");
        return;
    }
    Entries.push_back({std::string(Name), IsFolder});
}

// ---- version 1 ----

std::unique_ptr<THashFsV1Archive> THashFsV1Archive::Open(std::unique_ptr<IByteSource> Bytes, std::string Name,
                                                         std::string &Error)
{
    std::vector<std::uint8_t> header;
    if (!ReadHeader(*Bytes, V1HeaderBytes, header, Error))
        return nullptr;
    const std::uint16_t salt = LoadU16(header.data() + 6);
    const std::uint32_t count = LoadU32(header.data() + 12);
    const std::uint64_t declaredOffset = LoadU32(header.data() + 16);
    const std::uint64_t size = Bytes->Size();
    if (count > size / V1RecordBytes) {
        Error = "the entry table declares " + std::to_string(count) + " entries, more than the file can hold";
        return nullptr;
    }
    const std::uint64_t tableBytes = std::uint64_t(count) * V1RecordBytes;

    // Some mods keep the table at the end of the file whatever the header says: take the header's
    // place when its entries fit the file, else the end.
    std::vector<std::uint8_t> table(tableBytes);
    auto fits = [&](std::uint64_t offset) {
        if (!Bytes->Contains(offset, tableBytes) || !Bytes->ReadAt(offset, tableBytes, table.data()))
            return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t *r = table.data() + std::size_t(i) * V1RecordBytes;
            if (!Bytes->Contains(LoadU64(r + 8), LoadU32(r + 28)))
                return false;
        }
        return true;
    };
    const std::uint64_t atEnd = size - tableBytes;
    bool found = fits(declaredOffset) || (atEnd != declaredOffset && fits(atEnd));
    if (!found) {
        // Neither place fits entirely: read what the header names, and check each entry when read.
        if (!Bytes->Contains(declaredOffset, tableBytes) || !Bytes->ReadAt(declaredOffset, tableBytes, table.data())) {
            Error = "the entry table lies outside the file (the archive is truncated or damaged)";
            return nullptr;
        }
    }

    auto archive = std::unique_ptr<THashFsV1Archive>(new THashFsV1Archive(std::move(Bytes), std::move(Name), salt));
    std::vector<TEntry> entries;
    entries.reserve(count);
    archive->FRecords.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t *r = table.data() + std::size_t(i) * V1RecordBytes;
        TRecord record;
        record.Offset = LoadU64(r + 8);
        record.Flags = LoadU32(r + 16);
        record.Size = LoadU32(r + 24);
        record.StoredSize = LoadU32(r + 28);
        entries.push_back({LoadU64(r), (record.Flags & V1FlagFolder) != 0, archive->FRecords.size()});
        archive->FRecords.push_back(record);
    }
    if (!found && count)
        archive->FProblems.Add(archive->FName + ": some entries point outside the file; they cannot be read");
    archive->SetEntries(std::move(entries));
    return archive;
}

bool THashFsV1Archive::ReadEntry(const TEntry &Entry, std::vector<std::uint8_t> &Bytes, std::string &Error) const
{
    const TRecord &r = FRecords[Entry.Index];
    if (r.Flags & V1FlagEncrypted) {
        Error = "is encrypted, which this program cannot read";
        return false;
    }
    const bool compressed = (r.Flags & V1FlagCompressed) != 0;
    const std::uint32_t stored = compressed ? r.StoredSize : r.Size;
    if (!FBytes->Contains(r.Offset, stored)) {
        Error = "points outside the file (the archive is truncated or damaged)";
        return false;
    }
    std::vector<std::uint8_t> raw(stored);
    if (!FBytes->ReadAt(r.Offset, stored, raw.data())) {
        Error = "cannot be read from the file";
        return false;
    }
    if (!compressed) {
        Bytes = std::move(raw);
        return true;
    }
    return InflateExact(raw, r.Size, TDeflateFormat::Zlib, Bytes, Error);
}

void THashFsV1Archive::ParseListing(std::string_view Folder, const std::vector<const TEntry *> &Parts,
                                    std::vector<TFolderEntry> &Entries) const
{
    for (const TEntry *part : Parts) {
        std::vector<std::uint8_t> text;
        std::string why;
        if (!ReadEntry(*part, text, why)) {
            FProblems.Add(FName + ": the listing of \"" + std::string(Folder) + "\" " + why);
            continue;
        }
        const std::string_view all(reinterpret_cast<const char *>(text.data()), text.size());
        std::size_t pos = 0;
        while (pos < all.size()) {
            std::size_t end = all.find('\n', pos);
            if (end == std::string_view::npos)
                end = all.size();
            std::string_view line = all.substr(pos, end - pos);
            pos = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.empty())
                continue;
            const bool folder = line.front() == '*';
            AddListedName(Folder, folder ? line.substr(1) : line, folder, Entries);
        }
    }
}

// ---- version 2 ----

std::unique_ptr<THashFsV2Archive> THashFsV2Archive::Open(std::unique_ptr<IByteSource> Bytes, std::string Name,
                                                         std::string &Error)
{
    std::vector<std::uint8_t> header;
    if (!ReadHeader(*Bytes, V2HeaderBytes, header, Error))
        return nullptr;
    const std::uint16_t salt = LoadU16(header.data() + 6);
    const std::uint32_t entryCount = LoadU32(header.data() + 12);
    const std::uint32_t entryStored = LoadU32(header.data() + 16);
    const std::uint32_t metadataCount = LoadU32(header.data() + 20);
    const std::uint32_t metadataStored = LoadU32(header.data() + 24);
    const std::uint64_t entryOffset = LoadU64(header.data() + 28);
    const std::uint64_t metadataOffset = LoadU64(header.data() + 36);

    std::vector<std::uint8_t> entryTable;
    std::vector<std::uint8_t> metadataTable;
    if (!ReadV2Table(*Bytes, entryOffset, entryStored, entryCount, V2RecordBytes, "entry table", entryTable, Error) ||
        !ReadV2Table(*Bytes, metadataOffset, metadataStored, metadataCount, 4, "metadata table", metadataTable, Error))
        return nullptr;

    auto archive = std::unique_ptr<THashFsV2Archive>(new THashFsV2Archive(std::move(Bytes), std::move(Name), salt));
    archive->FMetadata.resize(metadataCount);
    for (std::uint32_t i = 0; i < metadataCount; ++i)
        archive->FMetadata[i] = LoadU32(metadataTable.data() + std::size_t(i) * 4);
    std::vector<TEntry> entries;
    entries.reserve(entryCount);
    archive->FRecords.reserve(entryCount);
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        const std::uint8_t *r = entryTable.data() + std::size_t(i) * V2RecordBytes;
        TRecord record{LoadU32(r + 8), LoadU16(r + 12)};
        entries.push_back({LoadU64(r), (LoadU16(r + 14) & V2FlagFolder) != 0, archive->FRecords.size()});
        archive->FRecords.push_back(record);
    }
    archive->SetEntries(std::move(entries));
    return archive;
}

bool THashFsV2Archive::ReadEntry(const TEntry &Entry, std::vector<std::uint8_t> &Bytes, std::string &Error) const
{
    const TRecord &r = FRecords[Entry.Index];
    if (std::uint64_t(r.MetadataIndex) + r.MetadataCount > FMetadata.size()) {
        Error = "has a damaged entry (its metadata lies outside the table)";
        return false;
    }
    // Only the entry's own header words are looked at: other resource kinds (textures, sounds) and
    // kinds added by later game versions are passed over, never fatal.
    std::string otherTypes;
    for (std::uint32_t i = 0; i < r.MetadataCount; ++i) {
        const std::uint32_t word = FMetadata[r.MetadataIndex + i];
        const std::uint32_t type = word >> 24;
        const std::uint32_t payload = word & 0xFFFFFF;
        if (type != V2TypePlain && type != V2TypeFolder) {
            otherTypes += (otherTypes.empty() ? "" : ", ") + std::to_string(type);
            continue;
        }
        if (std::uint64_t(payload) + 4 > FMetadata.size()) {
            Error = "has a damaged entry (its data description lies outside the table)";
            return false;
        }
        const std::uint32_t packed = FMetadata[payload];
        const std::uint32_t stored = packed & 0x0FFFFFFF;
        const std::uint32_t method = packed >> 28;
        const std::uint32_t size = FMetadata[payload + 1] & 0x0FFFFFFF;
        const std::uint64_t offset = std::uint64_t(FMetadata[payload + 3]) * 16;
        if (method != 0 && method != 1) {
            Error = "uses compression method " + std::to_string(method) + ", which this program cannot read";
            return false;
        }
        const std::uint32_t length = method == 0 ? size : stored;
        if (!FBytes->Contains(offset, length)) {
            Error = "points outside the file (the archive is truncated or damaged)";
            return false;
        }
        std::vector<std::uint8_t> raw(length);
        if (!FBytes->ReadAt(offset, length, raw.data())) {
            Error = "cannot be read from the file";
            return false;
        }
        if (method == 0) {
            Bytes = std::move(raw);
            return true;
        }
        return InflateExact(raw, size, TDeflateFormat::Zlib, Bytes, Error);
    }
    Error = otherTypes.empty() ? "has no data"
                               : "holds only resources this program does not read (kinds " + otherTypes + ")";
    return false;
}

void THashFsV2Archive::ParseListing(std::string_view Folder, const std::vector<const TEntry *> &Parts,
                                    std::vector<TFolderEntry> &Entries) const
{
    for (const TEntry *part : Parts) {
        std::vector<std::uint8_t> data;
        std::string why;
        if (!ReadEntry(*part, data, why)) {
            FProblems.Add(FName + ": the listing of \"" + std::string(Folder) + "\" " + why);
            continue;
        }
        // u32 count, then count name lengths of one byte, then the names; '/' marks a folder.
        if (data.size() < 4) {
            FProblems.Add(FName + ": the listing of \"" + std::string(Folder) + "\" is cut short");
            continue;
        }
        const std::uint64_t count = LoadU32(data.data());
        std::size_t nameAt = 4 + static_cast<std::size_t>(std::min<std::uint64_t>(count, data.size() - 4));
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::size_t lengthAt = 4 + static_cast<std::size_t>(i);
            if (lengthAt >= data.size() || nameAt > data.size() || data[lengthAt] > data.size() - nameAt) {
                FProblems.Add(FName + ": the listing of \"" + std::string(Folder) + "\" is cut short");
                break;
            }
            const std::size_t length = data[lengthAt];
            std::string_view name(reinterpret_cast<const char *>(data.data()) + nameAt, length);
            nameAt += length;
            const bool folder = !name.empty() && name.front() == '/';
            AddListedName(Folder, folder ? name.substr(1) : name, folder, Entries);
        }
    }
}

} // namespace kvn::archives
