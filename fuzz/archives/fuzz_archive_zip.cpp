// One reader on arbitrary bytes: opening, listing and reading never crash, hang or allocate beyond
// the input's size; every refusal says why.
#include "fuzz_archive_common.h"

#include "archives/ziparchive.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string error;
    auto archive = kvn::archives::TZipArchive::Open(kvn::archives::MemoryBytes({data, data + size}), "fuzz.scs", error);
    if (!archive) {
        if (error.empty())
            std::abort();
        return 0;
    }
    WalkAndRead(*archive);
    return 0;
}
