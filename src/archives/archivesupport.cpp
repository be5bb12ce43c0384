#include "archives/archivesupport.h"

#include <algorithm>
#include <zlib.h>

namespace kvn::archives {

std::optional<std::string> NormaliseGamePath(std::string_view Path)
{
    std::string out;
    out.reserve(Path.size());
    std::size_t pos = 0;
    while (pos <= Path.size()) {
        std::size_t end = Path.find('/', pos);
        if (end == std::string_view::npos)
            end = Path.size();
        const std::string_view part = Path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == ".." || part.find('\0') != std::string_view::npos)
            return std::nullopt;
        if (!out.empty())
            out += '/';
        out += part;
    }
    return out;
}

bool IsPlainEntryName(std::string_view Name)
{
    return !Name.empty() && Name != "." && Name != ".." &&
           Name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string JoinGamePath(std::string_view Folder, std::string_view Name)
{
    std::string path(Folder);
    if (!path.empty())
        path += '/';
    path += Name;
    return path;
}

bool InflateExact(std::span<const std::uint8_t> Input, std::uint64_t ExpectedSize, TDeflateFormat Format,
                  std::vector<std::uint8_t> &Output, std::string &Error)
{
    Output.clear();
    if (ExpectedSize > MaxEntryBytes) {
        Error = "declares " + std::to_string(ExpectedSize) + " bytes, more than any game file holds";
        return false;
    }
    z_stream z{};
    if (inflateInit2(&z, Format == TDeflateFormat::Zlib ? MAX_WBITS : -MAX_WBITS) != Z_OK) {
        Error = "cannot start decompression";
        return false;
    }
    // Start small and double: a stream that really holds the declared size pays a few copies, a
    // false declaration pays nothing.
    const std::size_t expected = static_cast<std::size_t>(ExpectedSize);
    std::size_t capacity = std::min<std::size_t>(expected, std::max<std::size_t>(Input.size() * 4, 64 * 1024));
    Output.resize(capacity + 1); // one spare byte catches a stream longer than declared
    std::size_t produced = 0;
    std::size_t consumed = 0;
    int rc = Z_OK;
    while (true) {
        const std::size_t inChunk = std::min<std::size_t>(Input.size() - consumed, 1u << 30);
        z.next_in = const_cast<Bytef *>(Input.data() + consumed);
        z.avail_in = static_cast<uInt>(inChunk);
        z.next_out = Output.data() + produced;
        z.avail_out = static_cast<uInt>(std::min<std::size_t>(Output.size() - produced, 1u << 30));
        const std::size_t outBefore = z.avail_out;
        rc = inflate(&z, Z_NO_FLUSH);
        consumed += inChunk - z.avail_in;
        produced += outBefore - z.avail_out;
        if (rc == Z_STREAM_END || (rc != Z_OK && rc != Z_BUF_ERROR))
            break;
        if (produced > expected)
            break;
        if (produced == Output.size()) {
            if (Output.size() > expected)
                break;
            Output.resize(std::min<std::size_t>(expected + 1, Output.size() * 2));
            continue;
        }
        if (rc == Z_BUF_ERROR || consumed == Input.size())
            break; // no progress possible: the input ended before the stream did
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END || produced != expected) {
        Output.clear();
        if (produced > expected)
            Error = "holds more data than its entry declares";
        else if (rc == Z_STREAM_END)
            Error = "holds less data than its entry declares";
        else
            Error = "compressed data is damaged";
        return false;
    }
    Output.resize(produced);
    return true;
}

std::uint32_t Crc32(std::span<const std::uint8_t> Bytes)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    std::size_t done = 0;
    while (done < Bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(Bytes.size() - done, 1u << 30);
        crc = crc32(crc, Bytes.data() + done, static_cast<uInt>(chunk));
        done += chunk;
    }
    return static_cast<std::uint32_t>(crc);
}

void TProblemLog::Add(std::string Message) const
{
    std::lock_guard lock(FMutex);
    if (std::find(FMessages.begin(), FMessages.end(), Message) != FMessages.end())
        return;
    if (FMessages.size() < MaxMessages)
        FMessages.push_back(std::move(Message));
    else
        ++FDropped;
}

std::vector<std::string> TProblemLog::Messages() const
{
    std::lock_guard lock(FMutex);
    std::vector<std::string> out = FMessages;
    if (FDropped)
        out.push_back("and " + std::to_string(FDropped) + " more problems");
    return out;
}

} // namespace kvn::archives
