#include "file_io.h"

#include <algorithm>
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

// Every path handed to Windows is made absolute and given the \\?\ prefix: then a profile
// folder deep below Documents may pass MAX_PATH (260 characters) and names are taken as they are.
// GetFullPathNameW first resolves "." and ".." and turns '/' into '\\', which the prefix forbids.
fs::path ExtendedPath(const fs::path &path)
{
    const std::wstring &raw = path.native();
    if (raw.empty() || raw.rfind(LR"(\\?\)", 0) == 0 || raw.rfind(LR"(\\.\)", 0) == 0)
        return path;
    std::wstring full(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = GetFullPathNameW(raw.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (n == 0)
            return path;
        if (n < full.size()) {
            full.resize(n);
            if (full.rfind(LR"(\\)", 0) == 0)
                return fs::path(LR"(\\?\UNC\)" + full.substr(2));
            if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\')
                return fs::path(LR"(\\?\)" + full);
            return fs::path(full);
        }
        full.assign(n, L'\0'); // n counts the terminating null when the buffer was too small
    }
    return path;
}

std::string WindowsError(DWORD code)
{
    return "Windows error " + std::to_string(code);
}

ReadOutcome ReadWholeFileAt(const fs::path &path, uint64_t maxBytes, std::vector<uint8_t> &data)
{
    // The game may hold the file open while we read; let it.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? ReadOutcome::Missing
                                                                            : ReadOutcome::Failed;
    }
    struct Closer {
        HANDLE h;
        ~Closer() { CloseHandle(h); }
    } closer{h};
    LARGE_INTEGER size{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size) || size.QuadPart < 0)
        return ReadOutcome::Failed;
    if (uint64_t(size.QuadPart) > maxBytes)
        return ReadOutcome::TooLarge;
    data.resize(size_t(size.QuadPart));
    size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(data.size() - done, size_t(1) << 30));
        DWORD got = 0;
        if (!ReadFile(h, data.data() + done, chunk, &got, nullptr))
            return ReadOutcome::Failed;
        // A file that shrank while we read it is not converted at all, as on Linux.
        if (got == 0)
            return ReadOutcome::Failed;
        done += got;
    }
    // A file that grew while we read it is read no further; the size we saw is what we convert.
    return ReadOutcome::Ok;
}

// A virus scanner or the game's cloud sync may hold the file for a moment; a rename that meets
// such a lock is tried again a few times before we give up.
bool MoveOver(const fs::path &temp, const fs::path &target, DWORD &code)
{
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        code = GetLastError();
        if ((code != ERROR_SHARING_VIOLATION && code != ERROR_LOCK_VIOLATION && code != ERROR_ACCESS_DENIED) ||
            attempt == 4)
            return false;
        Sleep(100);
    }
}

// MoveFileExW and not ReplaceFileW: when ReplaceFileW fails half-way
// (ERROR_UNABLE_TO_MOVE_REPLACEMENT) the old file may already be gone.
bool WriteAndReplace(const fs::path &target, const fs::path &temp, const char *bytes, size_t size, std::string &error)
{
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = "cannot create a temporary file in the folder (" + WindowsError(GetLastError()) + ")";
        return false;
    }
    bool ok = true;
    DWORD code = 0;
    while (ok && size > 0) {
        const DWORD chunk = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
        DWORD written = 0;
        ok = WriteFile(h, bytes, chunk, &written, nullptr) && written == chunk;
        bytes += chunk;
        size -= chunk;
    }
    ok = ok && FlushFileBuffers(h);
    if (!ok)
        code = GetLastError();
    ok = CloseHandle(h) && ok;
    if (!ok) {
        error = "writing the temporary file failed (is the disk full? " + WindowsError(code) + ")";
        DeleteFileW(temp.c_str());
        return false;
    }

    // As the permissions on Linux, the file's attributes stay as they were: a read-only or hidden
    // file is converted and stays read-only or hidden. Windows renames nothing over a read-only
    // file, so that flag is lifted for the rename and put back if the rename fails.
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD old = GetFileAttributesW(target.c_str());
    const bool exists = old != INVALID_FILE_ATTRIBUTES && !(old & FILE_ATTRIBUTE_DIRECTORY);
    const bool readOnly = exists && (old & FILE_ATTRIBUTE_READONLY);
    auto removeTemp = [&] {
        SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(temp.c_str());
    };
    if (exists && (old & kKept) && !SetFileAttributesW(temp.c_str(), old & kKept)) {
        code = GetLastError();
        error = "the temporary file could not be given the file's attributes (" + WindowsError(code) + ")";
        removeTemp();
        return false;
    }
    if (readOnly && !SetFileAttributesW(target.c_str(), old & ~DWORD(FILE_ATTRIBUTE_READONLY))) {
        code = GetLastError();
        error = "the file is read-only and may not be changed (" + WindowsError(code) + ")";
        removeTemp();
        return false;
    }
    if (!MoveOver(temp, target, code)) {
        if (readOnly)
            SetFileAttributesW(target.c_str(), old);
        error = "the file could not be replaced (is it open in another program? " + WindowsError(code) + ")";
        removeTemp();
        return false;
    }
    return true;
}

#else

fs::path ExtendedPath(const fs::path &path)
{
    return path;
}

ReadOutcome ReadWholeFileAt(const fs::path &path, uint64_t maxBytes, std::vector<uint8_t> &data)
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
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
#ifdef _WIN32
    // Listed by Windows itself, so that the extended-length folder name is taken as it is.
    WIN32_FIND_DATAW found;
    const fs::path pattern = folder / (L"." + target.filename().native() + L".*.tmp");
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const fs::path candidate = folder / found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTemporaryNameOf(candidate, target))
            DeleteFileW(candidate.c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
#else
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (IsTemporaryNameOf(it->path(), target) && it->is_regular_file(ignored))
            fs::remove(it->path(), ignored);
    }
#endif
}

} // namespace

ReadOutcome ReadWholeFile(const fs::path &path, uint64_t maxBytes, std::vector<uint8_t> &data)
{
    return ReadWholeFileAt(ExtendedPath(path), maxBytes, data);
}

bool ReplaceFileAtomically(const fs::path &target, const char *bytes, size_t size, std::string &error)
{
    const fs::path full = ExtendedPath(target);
    RemoveLeftTemporaries(full);
    return WriteAndReplace(full, TemporaryNameBeside(full), bytes, size, error);
}

} // namespace siicodec::program
