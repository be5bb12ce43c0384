#pragma once
// Shared by the archive harnesses: open the input with one reader, then walk every folder listing
// from the root and read every file, as the catalogue would. A failure must always say why.
#include "archives/bytesource.h"
#include "archives/gamefilesource.h"

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

inline void WalkAndRead(const kvn::archives::IGameFileSource &Source)
{
    std::vector<std::string> folders{"", "def", "def/city"};
    std::set<std::string> seen;
    // Bounded: a listing could name itself through a hash collision or keep nesting.
    for (std::size_t i = 0; i < folders.size() && i < 256; ++i) {
        if (!seen.insert(folders[i]).second)
            continue;
        std::vector<kvn::archives::TFolderEntry> entries;
        if (!Source.ListFolder(folders[i], entries))
            continue;
        for (const auto &entry : entries) {
            const std::string path = folders[i].empty() ? entry.Name : folders[i] + "/" + entry.Name;
            if (entry.IsFolder) {
                folders.push_back(path);
                continue;
            }
            std::vector<std::uint8_t> bytes;
            std::string error;
            if (!Source.ReadFile(path, bytes, error) && (error.empty() || !bytes.empty()))
                std::abort();
        }
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!Source.ReadFile("def/city.sii", bytes, error) && error.empty())
        std::abort();
    (void)Source.Problems();
}

// One reader on arbitrary bytes: opening, listing and reading never crash, hang or allocate beyond
// the input's size; every refusal says why.
template <class TArchive> int FuzzArchiveReader(const uint8_t *Data, size_t Size)
{
    std::string error;
    auto archive = TArchive::Open(kvn::archives::MemoryBytes({Data, Data + Size}), "fuzz.scs", error);
    if (!archive) {
        if (error.empty())
            std::abort();
        return 0;
    }
    WalkAndRead(*archive);
    return 0;
}
