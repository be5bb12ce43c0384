#include "archives/layeredfilesystem.h"

#include <algorithm>
#include <set>

namespace kvn::archives {

void TLayeredFileSystem::AddSource(std::unique_ptr<IGameFileSource> Source, int Priority)
{
    if (!Source)
        return;
    // In front of every layer of the same or lower priority, so that a later one wins a tie.
    const auto at =
        std::find_if(FLayers.begin(), FLayers.end(), [&](const TLayer &l) { return l.Priority <= Priority; });
    FLayers.insert(at, TLayer{std::move(Source), Priority});
}

std::string TLayeredFileSystem::Describe() const
{
    return "the game's files (" + std::to_string(FLayers.size()) + " sources)";
}

const IGameFileSource *TLayeredFileSystem::Winner(std::string_view Path) const
{
    for (const TLayer &layer : FLayers)
        if (layer.Source->HasFile(Path))
            return layer.Source.get();
    return nullptr;
}

bool TLayeredFileSystem::HasFile(std::string_view Path) const
{
    return Winner(Path) != nullptr;
}

bool TLayeredFileSystem::ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const
{
    Bytes.clear();
    const IGameFileSource *winner = Winner(Path);
    if (!winner) {
        Error = "\"" + std::string(Path) + "\" is in none of the game's archives or mods";
        return false;
    }
    return winner->ReadFile(Path, Bytes, Error);
}

bool TLayeredFileSystem::ListFolder(std::string_view Path, std::vector<TFolderEntry> &Entries) const
{
    Entries.clear();
    std::set<std::pair<std::string, bool>> merged;
    bool any = false;
    std::vector<TFolderEntry> one;
    for (const TLayer &layer : FLayers) {
        if (!layer.Source->ListFolder(Path, one))
            continue;
        any = true;
        for (TFolderEntry &entry : one)
            merged.emplace(std::move(entry.Name), entry.IsFolder);
    }
    for (const auto &[name, folder] : merged)
        Entries.push_back({name, folder});
    return any;
}

std::vector<std::string> TLayeredFileSystem::Problems() const
{
    std::vector<std::string> all;
    for (const TLayer &layer : FLayers)
        for (std::string &problem : layer.Source->Problems())
            all.push_back(std::move(problem));
    return all;
}

} // namespace kvn::archives
