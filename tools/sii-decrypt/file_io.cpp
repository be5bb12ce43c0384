#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// shellapi.h needs windows.h first
#include <shellapi.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace siicodec::program {

namespace fs = std::filesystem;

std::vector<fs::path> Arguments(int argc, char **argv)
{
    std::vector<fs::path> args;
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    if (wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args.emplace_back(wide[i]);
        LocalFree(wide);
    }
#else
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
#endif
    return args;
}

ReadOutcome ReadWholeFile(const fs::path &path, uint64_t maxBytes, std::vector<uint8_t> &data)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return fs::exists(path, ec) ? ReadOutcome::Failed : ReadOutcome::Missing;
    const uint64_t size = fs::file_size(path, ec);
    if (ec)
        return ReadOutcome::Failed;
    if (size > maxBytes)
        return ReadOutcome::TooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ReadOutcome::Failed;
    data.resize(static_cast<size_t>(size));
    if (size && !in.read(reinterpret_cast<char *>(data.data()), static_cast<std::streamsize>(size)))
        return ReadOutcome::Failed;
    // A file that grew while we read it is read no further; the size we saw is what we convert.
    return ReadOutcome::Ok;
}

namespace {

fs::path TemporaryNameBeside(const fs::path &target)
{
    static std::mt19937_64 rng{std::random_device{}()};
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(rng()));
    return folder / (fs::path(".").native() + target.filename().native() + fs::path(suffix).native());
}

#ifdef _WIN32

bool WriteAndReplace(const fs::path &target, const fs::path &temp, const char *bytes, size_t size, std::string &error)
{
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = "cannot create a temporary file in the folder";
        return false;
    }
    bool ok = true;
    while (ok && size > 0) {
        DWORD chunk = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
        DWORD written = 0;
        ok = WriteFile(h, bytes, chunk, &written, nullptr) && written == chunk;
        bytes += chunk;
        size -= chunk;
    }
    ok = ok && FlushFileBuffers(h);
    ok = CloseHandle(h) && ok;
    if (!ok) {
        error = "writing the temporary file failed (is the disk full?)";
        DeleteFileW(temp.c_str());
        return false;
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = "the file could not be replaced (is it open in another program?)";
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

#else

bool WriteAndReplace(const fs::path &target, const fs::path &temp, const char *bytes, size_t size, std::string &error)
{
    // Keep the permissions of the file we replace; a new file gets the usual ones.
    mode_t mode = 0666;
    struct stat st;
    if (::stat(target.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        error = std::string("cannot create a temporary file in the folder (") + std::strerror(errno) + ")";
        return false;
    }
    bool ok = true;
    while (ok && size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok) {
            bytes += n;
            size -= static_cast<size_t>(n);
        }
    }
    const int savedErrno = errno;
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        error =
            std::string("writing the temporary file failed (") + std::strerror(savedErrno ? savedErrno : errno) + ")";
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        error = std::string("the file could not be replaced (") + std::strerror(errno) + ")";
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

#endif

bool IsTemporaryNameOf(const fs::path &candidate, const fs::path &target)
{
    // "." + name + "." + 16 hex digits + ".tmp", as TemporaryNameBeside makes them.
    const auto name = candidate.filename().native();
    const auto prefix = fs::path(".").native() + target.filename().native() + fs::path(".").native();
    const auto suffix = fs::path(".tmp").native();
    if (name.size() != prefix.size() + 16 + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    for (size_t i = prefix.size(); i < prefix.size() + 16; ++i) {
        const auto c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// A conversion killed before its rename leaves its temporary file behind, as large as the save;
// each later conversion would add one more to the player's save folder.
void RemoveLeftTemporaries(const fs::path &target)
{
    std::error_code ec;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (IsTemporaryNameOf(it->path(), target) && it->is_regular_file(ignored))
            fs::remove(it->path(), ignored);
    }
}

} // namespace

bool ReplaceFileAtomically(const fs::path &target, const char *bytes, size_t size, std::string &error)
{
    RemoveLeftTemporaries(target);
    return WriteAndReplace(target, TemporaryNameBeside(target), bytes, size, error);
}

} // namespace siicodec::program
