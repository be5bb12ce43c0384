#include "archives/ziparchive.h"

#include <algorithm>
#include <cstring>

namespace kvn::archives {
namespace {

constexpr std::size_t EndRecordBytes = 22;
constexpr std::size_t MaxCommentBytes = 0xFFFF;
constexpr std::size_t CentralHeaderBytes = 46;
constexpr std::size_t LocalHeaderBytes = 30;
constexpr std::uint16_t FlagEncrypted = 1u << 0;
constexpr std::uint16_t MethodStored = 0;
constexpr std::uint16_t MethodDeflate = 8;

bool HasSignature(const std::uint8_t *p, std::uint8_t a, std::uint8_t b)
{
    return p[0] == 'P' && p[1] == 'K' && p[2] == a && p[3] == b;
}

} // namespace

TZipArchive::TZipArchive(std::unique_ptr<IByteSource> Bytes, std::string Name)
    : FBytes(std::move(Bytes)), FName(std::move(Name))
{
    FFolders[""];
}

std::unique_ptr<TZipArchive> TZipArchive::Open(std::unique_ptr<IByteSource> Bytes, std::string Name, std::string &Error)
{
    auto archive = std::unique_ptr<TZipArchive>(new TZipArchive(std::move(Bytes), std::move(Name)));
    if (!archive->ReadCentralDirectory(Error))
        return nullptr;
    return archive;
}

bool TZipArchive::ReadCentralDirectory(std::string &Error)
{
    const std::uint64_t size = FBytes->Size();
    if (size < EndRecordBytes) {
        Error = "the file is too short for a ZIP archive";
        return false;
    }
    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    const std::size_t tailBytes =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, EndRecordBytes + MaxCommentBytes));
    std::vector<std::uint8_t> tail(tailBytes);
    if (!FBytes->ReadAt(size - tailBytes, tailBytes, tail.data())) {
        Error = "cannot read the file";
        return false;
    }
    std::size_t at = tailBytes - EndRecordBytes + 1;
    bool found = false;
    while (at-- > 0)
        if (HasSignature(tail.data() + at, 5, 6)) {
            found = true;
            break;
        }
    if (!found) {
        Error = "no ZIP central directory found (the archive is truncated or not a ZIP)";
        return false;
    }
    const std::uint8_t *end = tail.data() + at;
    std::uint64_t count = LoadU16(end + 10);
    std::uint64_t directorySize = LoadU32(end + 12);
    std::uint64_t directoryOffset = LoadU32(end + 16);
    const std::uint64_t endOffset = size - tailBytes + at;
    if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
        // ZIP64: a locator just before the end record points to the larger record.
        std::uint8_t locator[20];
        std::uint8_t record[56];
        if (endOffset < sizeof locator || !FBytes->ReadAt(endOffset - sizeof locator, sizeof locator, locator) ||
            !HasSignature(locator, 6, 7) || !FBytes->ReadAt(LoadU64(locator + 8), sizeof record, record) ||
            !HasSignature(record, 6, 6)) {
            Error = "the ZIP64 end record is missing or damaged";
            return false;
        }
        count = LoadU64(record + 32);
        directorySize = LoadU64(record + 40);
        directoryOffset = LoadU64(record + 48);
    }
    if (!FBytes->Contains(directoryOffset, directorySize)) {
        Error = "the central directory lies outside the file (the archive is truncated or damaged)";
        return false;
    }
    if (count > directorySize / CentralHeaderBytes) {
        Error = "the central directory declares " + std::to_string(count) + " entries, more than it can hold";
        return false;
    }
    std::vector<std::uint8_t> directory(static_cast<std::size_t>(directorySize));
    if (!FBytes->ReadAt(directoryOffset, directory.size(), directory.data())) {
        Error = "cannot read the central directory";
        return false;
    }

    std::size_t pos = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (directory.size() - pos < CentralHeaderBytes || !HasSignature(directory.data() + pos, 1, 2)) {
            FProblems.Add(FName + ": the central directory is cut short after " + std::to_string(i) + " entries");
            break;
        }
        const std::uint8_t *h = directory.data() + pos;
        TEntry entry;
        entry.Flags = LoadU16(h + 8);
        entry.Method = LoadU16(h + 10);
        entry.Crc = LoadU32(h + 16);
        entry.StoredSize = LoadU32(h + 20);
        entry.Size = LoadU32(h + 24);
        entry.CentralNameLength = LoadU16(h + 28);
        entry.CentralExtraLength = LoadU16(h + 30);
        const std::size_t commentLength = LoadU16(h + 32);
        entry.HeaderOffset = LoadU32(h + 42);
        const std::size_t variable = std::size_t(entry.CentralNameLength) + entry.CentralExtraLength + commentLength;
        if (directory.size() - pos - CentralHeaderBytes < variable) {
            FProblems.Add(FName + ": the central directory is cut short after " + std::to_string(i) + " entries");
            break;
        }
        const std::string_view name(reinterpret_cast<const char *>(h + CentralHeaderBytes), entry.CentralNameLength);
        // ZIP64 extra field: the 64-bit values of the fields that say 0xFFFFFFFF, in this order.
        const std::uint8_t *extra = h + CentralHeaderBytes + entry.CentralNameLength;
        for (std::size_t e = 0; e + 4 <= entry.CentralExtraLength;) {
            const std::uint16_t id = LoadU16(extra + e);
            const std::size_t length = LoadU16(extra + e + 2);
            if (length > entry.CentralExtraLength - e - 4)
                break;
            if (id == 0x0001) {
                const std::uint8_t *v = extra + e + 4;
                std::size_t left = length;
                for (std::uint64_t *field : {&entry.Size, &entry.StoredSize, &entry.HeaderOffset})
                    if (*field == 0xFFFFFFFF && left >= 8) {
                        *field = LoadU64(v);
                        v += 8;
                        left -= 8;
                    }
            }
            e += 4 + length;
        }
        AddEntry(name, entry);
        pos += CentralHeaderBytes + variable;
    }
    return true;
}

void TZipArchive::AddFolder(const std::string &Path)
{
    // Each new folder is linked into its parent; a folder met before already is.
    if (!FFolders.try_emplace(Path).second)
        return;
    std::string path = Path;
    while (!path.empty()) {
        const std::size_t slash = path.rfind('/');
        const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
        const bool parentIsNew = FFolders.try_emplace(parent).second;
        FFolders[parent].emplace(path.substr(slash == std::string::npos ? 0 : slash + 1), true);
        if (!parentIsNew)
            break;
        path = parent;
    }
}

void TZipArchive::AddEntry(std::string_view RawName, const TEntry &Entry)
{
    std::string name(RawName);
    std::replace(name.begin(), name.end(), '\\', '/');
    const bool folder = !name.empty() && name.back() == '/';
    const auto path = NormaliseGamePath(name);
    if (!path) {
        FProblems.Add(FName + ": an entry with a malformed name is skipped");
        return;
    }
    if (path->empty())
        return;
    if (folder) {
        AddFolder(*path);
        return;
    }
    if (!FFiles.emplace(*path, Entry).second) {
        FProblems.Add(FName + ": \"" + *path + "\" appears twice; the first is used");
        return;
    }
    const std::size_t slash = path->rfind('/');
    const std::string parent = slash == std::string::npos ? std::string() : path->substr(0, slash);
    AddFolder(parent);
    FFolders[parent].emplace(path->substr(slash == std::string::npos ? 0 : slash + 1), false);
}

bool TZipArchive::HasFile(std::string_view Path) const
{
    const auto path = NormaliseGamePath(Path);
    return path && FFiles.contains(*path);
}

bool TZipArchive::ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const
{
    Bytes.clear();
    const auto path = NormaliseGamePath(Path);
    const auto it = path ? FFiles.find(*path) : FFiles.end();
    if (it == FFiles.end()) {
        Error = FName + ": \"" + std::string(Path) + "\" " +
                (path && FFolders.contains(*path) ? "is a folder, not a file" : "is not in the archive");
        return false;
    }
    std::string why;
    if (ReadEntry(it->second, Bytes, why))
        return true;
    Bytes.clear();
    Error = FName + ": \"" + *path + "\" " + why;
    FProblems.Add(Error);
    return false;
}

bool TZipArchive::ListFolder(std::string_view Path, std::vector<TFolderEntry> &Entries) const
{
    Entries.clear();
    const auto path = NormaliseGamePath(Path);
    const auto it = path ? FFolders.find(*path) : FFolders.end();
    if (it == FFolders.end())
        return false;
    for (const auto &[name, folder] : it->second)
        Entries.push_back({name, folder});
    return true;
}

bool TZipArchive::ReadEntry(const TEntry &Entry, std::vector<std::uint8_t> &Bytes, std::string &Error) const
{
    if (Entry.Flags & FlagEncrypted) {
        Error = "is encrypted, which this program cannot read";
        return false;
    }
    if (Entry.Method != MethodStored && Entry.Method != MethodDeflate) {
        Error = "uses compression method " + std::to_string(Entry.Method) + ", which this program cannot read";
        return false;
    }
    // Where the data starts: after the local header as it claims to be, or, when a locked mod has
    // broken that header, as long as the central directory says it is. The checksum picks the right one.
    std::vector<std::uint64_t> starts;
    std::uint8_t local[LocalHeaderBytes];
    const std::uint64_t afterHeader = Entry.HeaderOffset + LocalHeaderBytes;
    if (FBytes->ReadAt(Entry.HeaderOffset, LocalHeaderBytes, local) && HasSignature(local, 3, 4))
        starts.push_back(afterHeader + LoadU16(local + 26) + LoadU16(local + 28));
    for (std::uint64_t start :
         {afterHeader + Entry.CentralNameLength + Entry.CentralExtraLength, afterHeader + Entry.CentralNameLength})
        if (std::find(starts.begin(), starts.end(), start) == starts.end())
            starts.push_back(start);

    std::string firstError;
    for (std::uint64_t start : starts) {
        std::string why;
        if (!DecodeAt(Entry, start, Bytes, why)) {
            if (firstError.empty())
                firstError = why;
            continue;
        }
        // A blank checksum cannot decide; the first start that decodes is taken.
        if (Crc32(Bytes) == Entry.Crc || (Entry.Crc == 0 && Entry.Size != 0))
            return true;
        if (firstError.empty())
            firstError = "fails its checksum";
    }
    Bytes.clear();
    Error = firstError;
    return false;
}

bool TZipArchive::DecodeAt(const TEntry &Entry, std::uint64_t DataOffset, std::vector<std::uint8_t> &Bytes,
                           std::string &Error) const
{
    if (Entry.Method == MethodStored && Entry.StoredSize != Entry.Size) {
        Error = "is damaged (stored, but its two sizes differ)";
        return false;
    }
    if (!FBytes->Contains(DataOffset, Entry.StoredSize)) {
        Error = "points outside the file (the archive is truncated or damaged)";
        return false;
    }
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(Entry.StoredSize));
    if (!FBytes->ReadAt(DataOffset, raw.size(), raw.data())) {
        Error = "cannot be read from the file";
        return false;
    }
    if (Entry.Method == MethodStored) {
        Bytes = std::move(raw);
        return true;
    }
    return InflateExact(raw, Entry.Size, TDeflateFormat::Raw, Bytes, Error);
}

} // namespace kvn::archives
