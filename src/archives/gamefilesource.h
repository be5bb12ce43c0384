// One interface for every place the game's files come from: a HashFS v1/v2 archive, a ZIP
// archive (mods), a plain folder, and the layered view over all of them that the catalogue
// reads. Paths are the game's own: relative, '/'-separated, no leading slash ("def/city.sii";
// "" is the root folder).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvn::archives {

struct TFolderEntry {
    std::string Name; // the entry's own name, without its folder
    bool IsFolder = false;
};

class IGameFileSource {
public:
    virtual ~IGameFileSource() = default;

    // What this source reads (an archive's or a folder's path), for messages.
    virtual std::string Describe() const = 0;

    virtual bool HasFile(std::string_view Path) const = 0;

    // The whole content of one file. False, with a message the player can read, when the file is
    // missing or its entry is damaged; Bytes is then empty.
    virtual bool ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const = 0;

    // The files and folders directly in a folder. False when the source has no such folder.
    virtual bool ListFolder(std::string_view Path, std::vector<TFolderEntry> &Entries) const = 0;

    // Damage met while reading (entries skipped, listings cut short), one readable line each.
    virtual std::vector<std::string> Problems() const { return {}; }
};

} // namespace kvn::archives
