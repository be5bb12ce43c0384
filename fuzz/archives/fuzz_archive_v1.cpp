// The v1 reader on arbitrary bytes (see fuzz_archive_common.h).
#include "fuzz_archive_common.h"

#include "archives/hashfsarchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzArchiveReader<kvn::archives::THashFsV1Archive>(data, size);
}
