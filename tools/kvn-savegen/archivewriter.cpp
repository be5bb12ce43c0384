#include "archivewriter.h"

#include "archives/cityhash.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <zlib.h>

namespace kvn::archives::testing {
namespace {

using TBytes = std::vector<std::uint8_t>;

void PutU16(TBytes &b, std::uint32_t v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void PutU32(TBytes &b, std::uint32_t v)
{
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}
void PutU64(TBytes &b, std::uint64_t v)
{
    PutU32(b, std::uint32_t(v));
    PutU32(b, std::uint32_t(v >> 32));
}
void PutText(TBytes &b, const std::string &s)
{
    b.insert(b.end(), s.begin(), s.end());
}
void SetU32(TBytes &b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

TBytes ToBytes(const std::string &s)
{
    return TBytes(s.begin(), s.end());
}

TBytes ZlibCompress(const TBytes &in)
{
    uLongf size = compressBound(in.size());
    TBytes out(size);
    compress2(out.data(), &size, in.data(), in.size(), 9);
    out.resize(size);
    return out;
}

TBytes RawDeflate(const TBytes &in)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    TBytes out(deflateBound(&z, in.size()));
    z.next_in = const_cast<Bytef *>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::uint64_t Hash(const TTestArchive &a, const std::string &path)
{
    return CityHash64(a.Salt ? std::to_string(a.Salt) + path : path);
}

// Every folder's listing: made from the file paths unless given by hand.
std::map<std::string, std::vector<std::pair<std::string, bool>>> Listings(const TTestArchive &a)
{
    std::map<std::string, std::vector<std::pair<std::string, bool>>> out;
    if (a.WithoutListings)
        return a.Listings;
    std::map<std::string, std::set<std::pair<std::string, bool>>> sets;
    sets[""];
    for (const TTestFile &f : a.Files) {
        std::string path = f.Path;
        bool folder = false;
        while (!path.empty()) {
            const std::size_t slash = path.rfind('/');
            const std::string parent = slash == std::string::npos ? "" : path.substr(0, slash);
            sets[parent].emplace(path.substr(slash == std::string::npos ? 0 : slash + 1), folder);
            path = parent;
            folder = true;
        }
    }
    for (auto &[folder, names] : sets)
        out[folder].assign(names.begin(), names.end());
    for (const auto &[folder, names] : a.Listings)
        out[folder] = names;
    return out;
}

} // namespace

std::vector<std::uint8_t> WriteHashFsV1(const TTestArchive &Archive)
{
    struct TItem {
        std::uint64_t Hash;
        std::uint32_t Flags;
        TBytes Stored;
        std::uint32_t Size;
    };
    std::vector<TItem> items;
    for (const TTestFile &f : Archive.Files) {
        const TBytes raw = ToBytes(f.Content);
        items.push_back({Hash(Archive, f.Path), f.Compressed ? 2u : 0u, f.Compressed ? ZlibCompress(raw) : raw,
                         std::uint32_t(raw.size())});
    }
    for (const auto &[folder, names] : Listings(Archive)) {
        std::string text;
        for (const auto &[name, isFolder] : names)
            text += (isFolder ? "*" : "") + name + "\n";
        items.push_back({Hash(Archive, folder), 1u | 2u, ZlibCompress(ToBytes(text)), std::uint32_t(text.size())});
    }
    TBytes out;
    PutText(out, "SCS#");
    PutU16(out, 1);
    PutU16(out, Archive.Salt);
    PutText(out, "CITY");
    PutU32(out, std::uint32_t(items.size()));
    PutU32(out, 0); // table offset, set below
    out.resize(32, 0);
    const std::size_t tableBytes = items.size() * 32;
    std::size_t dataAt = Archive.V1TableAtEnd ? out.size() : out.size() + tableBytes;
    TBytes table;
    TBytes data;
    for (const TItem &item : items) {
        PutU64(table, item.Hash);
        PutU64(table, dataAt + data.size());
        PutU32(table, item.Flags);
        PutU32(table, 0);
        PutU32(table, item.Size);
        PutU32(table, std::uint32_t(item.Stored.size()));
        data.insert(data.end(), item.Stored.begin(), item.Stored.end());
    }
    if (Archive.V1TableAtEnd) {
        SetU32(out, 16, 0x7FFFFF00); // where nothing is
        out.insert(out.end(), data.begin(), data.end());
        out.insert(out.end(), table.begin(), table.end());
    } else {
        SetU32(out, 16, std::uint32_t(out.size()));
        out.insert(out.end(), table.begin(), table.end());
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

std::vector<std::uint8_t> WriteHashFsV2(const TTestArchive &Archive)
{
    struct TItem {
        std::uint64_t Hash;
        bool Folder;
        std::uint32_t Type;
        std::uint32_t Method;
        TBytes Stored;
        std::uint32_t Size;
    };
    std::vector<TItem> items;
    for (const TTestFile &f : Archive.Files) {
        const TBytes raw = ToBytes(f.Content);
        const std::uint32_t method = f.V2Method >= 0 ? std::uint32_t(f.V2Method) : (f.Compressed ? 1u : 0u);
        items.push_back({Hash(Archive, f.Path), false, f.V2Type, method, method == 1 ? ZlibCompress(raw) : raw,
                         std::uint32_t(raw.size())});
    }
    for (const auto &[folder, names] : Listings(Archive)) {
        TBytes listing;
        PutU32(listing, std::uint32_t(names.size()));
        for (const auto &[name, isFolder] : names)
            listing.push_back(std::uint8_t(name.size() + (isFolder ? 1 : 0)));
        for (const auto &[name, isFolder] : names)
            PutText(listing, (isFolder ? "/" : "") + name);
        items.push_back({Hash(Archive, folder), true, 129, 1, ZlibCompress(listing), std::uint32_t(listing.size())});
    }
    std::sort(items.begin(), items.end(), [](const TItem &a, const TItem &b) { return a.Hash < b.Hash; });

    TBytes out(53, 0);
    TBytes entries;
    TBytes metadata;
    std::uint32_t words = 0;
    for (const TItem &item : items) {
        out.resize((out.size() + 15) / 16 * 16, 0);
        const std::uint64_t offset = out.size();
        out.insert(out.end(), item.Stored.begin(), item.Stored.end());
        PutU64(entries, item.Hash);
        PutU32(entries, words);
        PutU16(entries, 1);
        PutU16(entries, item.Folder ? 1 : 0);
        PutU32(metadata, item.Type << 24 | (words + 1));
        PutU32(metadata, std::uint32_t(item.Stored.size()) | item.Method << 28);
        PutU32(metadata, item.Size);
        PutU32(metadata, 0);
        PutU32(metadata, std::uint32_t(offset / 16));
        words += 5;
    }
    const TBytes entriesStored = ZlibCompress(entries);
    const TBytes metadataStored = ZlibCompress(metadata);
    const std::uint64_t entriesAt = out.size();
    out.insert(out.end(), entriesStored.begin(), entriesStored.end());
    const std::uint64_t metadataAt = out.size();
    out.insert(out.end(), metadataStored.begin(), metadataStored.end());

    TBytes header;
    PutText(header, "SCS#");
    PutU16(header, 2);
    PutU16(header, Archive.Salt);
    PutText(header, "CITY");
    PutU32(header, std::uint32_t(items.size()));
    PutU32(header, std::uint32_t(entriesStored.size()));
    PutU32(header, words);
    PutU32(header, std::uint32_t(metadataStored.size()));
    PutU64(header, entriesAt);
    PutU64(header, metadataAt);
    PutU64(header, 0);
    header.push_back(0);
    std::copy(header.begin(), header.end(), out.begin());
    return out;
}

std::vector<std::uint8_t> WriteZip(const TTestArchive &Archive)
{
    TBytes out;
    TBytes central;
    for (const TTestFile &f : Archive.Files) {
        const TBytes raw = ToBytes(f.Content);
        const TBytes stored = f.Compressed ? RawDeflate(raw) : raw;
        const std::uint32_t crc = std::uint32_t(crc32(0, raw.data(), uInt(raw.size())));
        const std::uint16_t method = f.Compressed ? 8 : 0;
        const std::uint32_t localAt = std::uint32_t(out.size());
        if (Archive.ZipBreakLocalHeaders)
            PutU32(out, 0xDEADBEEF);
        else
            PutText(out, "PK\x03\x04");
        PutU16(out, 20);
        PutU16(out, 0);
        PutU16(out, method);
        PutU32(out, 0);
        PutU32(out, Archive.ZipBreakLocalHeaders ? 0xFFFFFFFF : crc);
        PutU32(out, Archive.ZipBreakLocalHeaders ? 0xFFFFFFFF : std::uint32_t(stored.size()));
        PutU32(out, Archive.ZipBreakLocalHeaders ? 0xFFFFFFFF : std::uint32_t(raw.size()));
        PutU16(out, Archive.ZipBreakLocalHeaders ? 0xFFFF : std::uint16_t(f.Path.size()));
        PutU16(out, Archive.ZipBreakLocalHeaders ? 0x7777 : 0);
        PutText(out, f.Path);
        out.insert(out.end(), stored.begin(), stored.end());

        const std::uint16_t extra = Archive.ZipCentralExtra ? 8 : 0;
        PutText(central, "PK\x01\x02");
        PutU16(central, 20);
        PutU16(central, 20);
        PutU16(central, 0);
        PutU16(central, method);
        PutU32(central, 0);
        PutU32(central, crc);
        PutU32(central, std::uint32_t(stored.size()));
        PutU32(central, std::uint32_t(raw.size()));
        PutU16(central, std::uint16_t(f.Path.size()));
        PutU16(central, extra);
        PutU16(central, 0);
        PutU16(central, 0);
        PutU16(central, 0);
        PutU32(central, 0);
        PutU32(central, localAt);
        PutText(central, f.Path);
        if (extra) {
            PutU16(central, 0x5455); // a timestamp field, as many zip tools write
            PutU16(central, 4);
            PutU32(central, 0);
        }
    }
    const std::uint32_t centralAt = std::uint32_t(out.size());
    out.insert(out.end(), central.begin(), central.end());
    PutText(out, "PK\x05\x06");
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, std::uint16_t(Archive.Files.size()));
    PutU16(out, std::uint16_t(Archive.Files.size()));
    PutU32(out, std::uint32_t(central.size()));
    PutU32(out, centralAt);
    PutU16(out, 0);
    return out;
}

bool WriteFileBytes(const std::string &Path, const std::vector<std::uint8_t> &Bytes)
{
    std::ofstream f(Path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char *>(Bytes.data()), std::streamsize(Bytes.size()));
    return bool(f);
}

} // namespace kvn::archives::testing
