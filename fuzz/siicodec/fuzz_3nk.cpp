// 3nK scrambled text: the header is forced, the first byte is the seed; descrambling twice must
// give the input back.
#include "fuzz_common.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> file = {0x33, 0x6E, 0x4B, 0x01, 0x00, size ? data[0] : uint8_t(0)};
    if (size > 1)
        file.insert(file.end(), data + 1, data + size);
    siicodec::TextBuffer text;
    const siicodec::Result r = siicodec::ConvertToText(file, text, FuzzOptions());
    CheckResult(r, text, false);
    if (!r.Ok() || text.Size() + 6 != file.size())
        std::abort();
    std::vector<uint8_t> again(file.begin(), file.begin() + 6);
    again.insert(again.end(), text.Data(), text.Data() + text.Size());
    siicodec::TextBuffer back;
    if (!siicodec::ConvertToText(again, back, FuzzOptions()).Ok() || back.Size() + 6 != file.size() ||
        (back.Size() && std::memcmp(back.Data(), file.data() + 6, back.Size()) != 0))
        std::abort();
    // The raw form (any header byte) must never crash either.
    siicodec::TextBuffer raw;
    CheckResult(siicodec::ConvertToText({data, size}, raw, FuzzOptions()), raw, false);
    return 0;
}
