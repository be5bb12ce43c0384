// Binary SII: inputs without the magic get a header of version 1 to 3 chosen by the first byte,
// so that the fuzzer spends its time in the block stream.
#include "fuzz_common.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> file;
    if (size >= 4 && data[0] == 'B' && data[1] == 'S' && data[2] == 'I' && data[3] == 'I') {
        file.assign(data, data + size);
    } else {
        const uint8_t version = size ? uint8_t(1 + data[0] % 3) : 3;
        file = {'B', 'S', 'I', 'I', version, 0, 0, 0};
        if (size)
            file.insert(file.end(), data + 1, data + size);
    }
    siicodec::TextBuffer text;
    const siicodec::Result r = siicodec::DecodeBinary(file, text, FuzzOptions());
    CheckResult(r, text, true);
    const siicodec::Result walked = siicodec::WalkBinary(file);
    // Walking checks the layout only; whatever the layout refuses, decoding refuses too.
    if (!walked.Ok() && r.Ok())
        std::abort();
    return 0;
}
