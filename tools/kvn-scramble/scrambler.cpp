#include "scrambler.h"

#include <cstdlib>
#include <vector>

namespace kvn::scramble {
namespace {

void RotateRight(std::string &k)
{
    if (!k.empty()) {
        const char last = k.back();
        k.pop_back();
        k.insert(k.begin(), last);
    }
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20)
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20)
        s.remove_suffix(1);
    return s;
}

template <typename F> void ForEachLine(std::string_view text, F &&f)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        f(text.substr(start, end - start));
        if (end == text.size())
            break;
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
}

} // namespace

std::string ScrambleBytes(std::string_view plain, std::string_view key)
{
    std::string k(key);
    std::string out;
    out.reserve(plain.size() * 2 + plain.size() / 32);
    std::size_t column = 0;
    for (const char ch : plain) {
        const auto c = static_cast<unsigned char>(ch);
        out.push_back(k[c % 16]);
        RotateRight(k);
        out.push_back(k[c / 16]);
        RotateRight(k);
        // Line breaks are ignored by the descrambler; they keep the resource readable in a diff tool.
        column += 2;
        if (column >= 76) {
            out += "\r\n";
            column = 0;
        }
    }
    return out;
}

int CountDataLines(std::string_view text)
{
    int count = 0;
    ForEachLine(text, [&](std::string_view line) {
        line = Trim(line);
        if (!line.empty() && line.front() != '#')
            ++count;
    });
    return count;
}

long long HalfKmTotal(std::string_view distanceText)
{
    long long sum = 0;
    ForEachLine(distanceText, [&](std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            return;
        std::vector<std::string_view> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = line.find(',', start);
            fields.push_back(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
            if (comma == std::string_view::npos)
                break;
            start = comma + 1;
        }
        if (fields.size() != 4)
            return;
        sum += std::strtoll(std::string(fields[2]).c_str(), nullptr, 10);
    });
    return sum / 2;
}

} // namespace kvn::scramble
