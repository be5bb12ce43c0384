// Opens whatever holds game files: a HashFS archive ("SCS#" version 1 or 2), a ZIP package, or a
// plain folder, chosen by what the file holds rather than by its name.
#pragma once

#include "archives/bytesource.h"
#include "archives/gamefilesource.h"

#include <filesystem>
#include <memory>

namespace kvn::archives {

// None, with a message naming the file, when it cannot be read as any of them.
std::unique_ptr<IGameFileSource> OpenGameArchive(const std::filesystem::path &Path, std::string &Error);
std::unique_ptr<IGameFileSource> OpenGameArchive(std::unique_ptr<IByteSource> Bytes, const std::string &Name,
                                                 std::string &Error);

} // namespace kvn::archives
