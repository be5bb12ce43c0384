// The game's view of its files: base and DLC archives, then mods, each with a priority. For every
// path the highest-priority source that has it wins; folder listings merge all sources.
#pragma once

#include "archives/gamefilesource.h"

#include <memory>

namespace kvn::archives {

class TLayeredFileSystem final : public IGameFileSource {
public:
    // Of two sources with the same priority, the one added later wins. Add every source before
    // reading; reads from several threads are then safe as far as the sources' own reads are.
    void AddSource(std::unique_ptr<IGameFileSource> Source, int Priority);

    std::string Describe() const override;
    bool HasFile(std::string_view Path) const override;
    // Read from the winner alone: a damaged entry in a mod is reported, not silently replaced by
    // the file it overrides.
    bool ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const override;
    bool ListFolder(std::string_view Path, std::vector<TFolderEntry> &Entries) const override;
    // Every source's problems, each line beginning with what the source reads.
    std::vector<std::string> Problems() const override;

    // The source a file is read from; none when no source has it.
    const IGameFileSource *Winner(std::string_view Path) const;

private:
    struct TLayer {
        std::unique_ptr<IGameFileSource> Source;
        int Priority = 0;
    };
    std::vector<TLayer> FLayers; // highest priority first
};

} // namespace kvn::archives
