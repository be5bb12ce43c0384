#pragma once
// Growable output buffer for SII text. The writer formats straight into it through a raw pointer,
// so the hot path is "make room once per line, then store bytes" without per-character checks.
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace siicodec {

class TextBuffer {
public:
    TextBuffer() = default;
    TextBuffer(const TextBuffer &) = delete;
    TextBuffer &operator=(const TextBuffer &) = delete;
    TextBuffer(TextBuffer &&) = default;
    TextBuffer &operator=(TextBuffer &&) = default;

    // Largest text the buffer may hold; growing past it fails (the caller reports "too large").
    void SetLimit(size_t limit) { FLimit = limit; }
    size_t Limit() const { return FLimit; }

    // Allocates at least `bytes` up front (clamped to the limit).
    void Reserve(size_t bytes);

    // Returns a pointer with room for `bytes` more bytes; the caller writes and then calls Commit.
    // Returns nullptr when the text would exceed the limit.
    char *Room(size_t bytes)
    {
        if (FCapacity - FSize >= bytes && FData)
            return FData.get() + FSize;
        return Grow(bytes);
    }
    void Commit(char *end) { FSize = static_cast<size_t>(end - FData.get()); }

    void Clear() { FSize = 0; }
    size_t Size() const { return FSize; }
    size_t Capacity() const { return FCapacity; }
    const char *Data() const { return FData.get(); }
    std::string_view View() const { return {FData.get(), FSize}; }

private:
    char *Grow(size_t bytes);

    std::unique_ptr<char[]> FData;
    size_t FSize = 0;
    size_t FCapacity = 0;
    size_t FLimit = size_t(1) << 30;
};

} // namespace siicodec
