#include "siicodec/text_buffer.h"

#include <algorithm>

namespace siicodec {

void TextBuffer::Reserve(size_t bytes)
{
    bytes = std::min(bytes, FLimit);
    if (bytes <= FCapacity)
        return;
    auto fresh = std::make_unique_for_overwrite<char[]>(bytes);
    if (FSize)
        std::memcpy(fresh.get(), FData.get(), FSize);
    FData = std::move(fresh);
    FCapacity = bytes;
}

char *TextBuffer::Grow(size_t bytes)
{
    if (bytes > FLimit || FSize > FLimit - bytes)
        return nullptr;
    // Doubling keeps the copies cheap and the waste below half of the text.
    Reserve(std::max(FSize + bytes, std::min(FLimit, std::max<size_t>(FCapacity * 2, 4096))));
    return FData.get() + FSize;
}

} // namespace siicodec
