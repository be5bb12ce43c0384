// The game's files held in memory (path -> bytes), laid out like an archive's tree, for tests and
// fuzzers of everything that reads through IGameFileSource.
#pragma once

#include "archives/gamefilesource.h"

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kvntest {

class TMemoryGameFiles : public kvn::archives::IGameFileSource {
public:
    void Add(const std::string &Path, std::string_view Content) { FFiles[Path].assign(Content.begin(), Content.end()); }
    void Add(const std::string &Path, const std::vector<std::uint8_t> &Content) { FFiles[Path] = Content; }
    std::size_t Count() const { return FFiles.size(); }

    std::string Describe() const override { return "memory"; }
    bool HasFile(std::string_view Path) const override { return FFiles.contains(std::string(Path)); }
    bool ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const override
    {
        const auto it = FFiles.find(std::string(Path));
        Bytes.clear();
        if (it == FFiles.end()) {
            Error = "no such file";
            return false;
        }
        Bytes = it->second;
        return true;
    }
    bool ListFolder(std::string_view Path, std::vector<kvn::archives::TFolderEntry> &Entries) const override
    {
        Entries.clear();
        const std::string prefix = Path.empty() ? std::string() : std::string(Path) + '/';
        std::set<std::string> files;
        std::set<std::string> folders;
        for (auto it = FFiles.lower_bound(prefix); it != FFiles.end() && it->first.starts_with(prefix); ++it) {
            const std::string rest = it->first.substr(prefix.size());
            const std::size_t slash = rest.find('/');
            if (slash == std::string::npos)
                files.insert(rest);
            else
                folders.insert(rest.substr(0, slash));
        }
        if (files.empty() && folders.empty())
            return Path.empty();
        for (const std::string &name : folders)
            Entries.push_back({name, true});
        for (const std::string &name : files)
            Entries.push_back({name, false});
        return true;
    }

private:
    std::map<std::string, std::vector<std::uint8_t>> FFiles;
};

} // namespace kvntest
