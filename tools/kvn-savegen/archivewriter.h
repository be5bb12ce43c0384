// Writes small HashFS v1/v2 and ZIP archives in memory, for tests, benchmarks and the installed games
// kvn-savegen generates: the game's own archives cannot be kept in the repository. Knobs make the damaged and unusual
// layouts met in mods.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kvn::archives::testing {

struct TTestFile {
    std::string Path;
    std::string Content;
    bool Compressed = false;
    // HashFS v2 only: the compression method written into the entry (0 none, 1 zlib; others
    // are stored as they are, to test what readers do with them) and the metadata type.
    int V2Method = -1; // -1: from Compressed
    std::uint32_t V2Type = 128;
};

struct TTestArchive {
    std::vector<TTestFile> Files;
    std::uint16_t Salt = 0;
    // Folder listings written by hand, replacing the ones made from the files: name, is a folder.
    std::map<std::string, std::vector<std::pair<std::string, bool>>> Listings;
    bool WithoutListings = false;
    // HashFS v1: the entry table at the end of the file while the header names another place.
    bool V1TableAtEnd = false;
    // ZIP: local headers broken as "locked" mods do; the central directory stays intact.
    bool ZipBreakLocalHeaders = false;
    // ZIP: an extra field in the central directory only, so local and central lengths differ.
    bool ZipCentralExtra = false;
};

std::vector<std::uint8_t> WriteHashFsV1(const TTestArchive &Archive);
std::vector<std::uint8_t> WriteHashFsV2(const TTestArchive &Archive);
std::vector<std::uint8_t> WriteZip(const TTestArchive &Archive);

// The bytes of an archive written to a file.
bool WriteFileBytes(const std::string &Path, const std::vector<std::uint8_t> &Bytes);

} // namespace kvn::archives::testing
