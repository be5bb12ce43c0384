#include "archives/foldersource.h"

#include "archives/archivesupport.h"

#include <algorithm>
#include <fstream>

namespace kvn::archives {
namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path &Path)
{
    const std::u8string text = Path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

TFolderSource::TFolderSource(fs::path Root) : FRoot(std::move(Root)) {}

std::string TFolderSource::Describe() const
{
    return Utf8(FRoot);
}

bool TFolderSource::Resolve(std::string_view Path, fs::path &Resolved) const
{
    const auto path = NormaliseGamePath(Path);
    if (!path || path->find('\\') != std::string::npos || path->find(':') != std::string::npos)
        return false;
    Resolved = FRoot;
    if (!path->empty())
        Resolved /= fs::path(std::u8string(path->begin(), path->end()));
    return true;
}

bool TFolderSource::HasFile(std::string_view Path) const
{
    fs::path file;
    std::error_code ec;
    return Resolve(Path, file) && fs::is_regular_file(file, ec);
}

bool TFolderSource::ReadFile(std::string_view Path, std::vector<std::uint8_t> &Bytes, std::string &Error) const
{
    Bytes.clear();
    fs::path file;
    std::error_code ec;
    if (!Resolve(Path, file) || !fs::is_regular_file(file, ec)) {
        Error = Describe() + ": \"" + std::string(Path) + "\" is not in the folder";
        return false;
    }
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec || size > MaxEntryBytes) {
        Error =
            Describe() + ": \"" + std::string(Path) + "\" " + (ec ? "cannot be read" : "is larger than any game file");
        return false;
    }
    std::ifstream stream(file, std::ios::binary);
    Bytes.resize(static_cast<std::size_t>(size));
    if (!stream.read(reinterpret_cast<char *>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()))) {
        Bytes.clear();
        Error = Describe() + ": \"" + std::string(Path) + "\" cannot be read";
        return false;
    }
    return true;
}

bool TFolderSource::ListFolder(std::string_view Path, std::vector<TFolderEntry> &Entries) const
{
    Entries.clear();
    fs::path folder;
    std::error_code ec;
    if (!Resolve(Path, folder) || !fs::is_directory(folder, ec))
        return false;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        const bool isFolder = it->is_directory(typeError);
        if (!isFolder && !it->is_regular_file(typeError))
            continue;
        Entries.push_back({Utf8(it->path().filename()), isFolder});
    }
    std::sort(Entries.begin(), Entries.end(),
              [](const TFolderEntry &a, const TFolderEntry &b) { return a.Name < b.Name; });
    return true;
}

} // namespace kvn::archives
