// A plain folder of game files: an unpacked mod, or a test's fixture.
#pragma once

#include "archives/gamefilesource.h"

#include <filesystem>

namespace kvn::archives {

class TFolderSource final : public IGameFileSource {
public:
    explicit TFolderSource(std::filesystem::path Root);

    std::string Describe() const override;
    bool HasFile(std::string_view Path) const override;
    bool ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const override;
    bool ListFolder(std::string_view Path, std::vector<TFolderEntry> &Entries) const override;

private:
    // The file system path of a game path; none for one that would leave the root.
    bool Resolve(std::string_view Path, std::filesystem::path &Resolved) const;

    std::filesystem::path FRoot;
};

} // namespace kvn::archives
