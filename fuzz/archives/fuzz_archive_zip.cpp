// The zip reader on arbitrary bytes (see fuzz_archive_common.h).
#include "fuzz_archive_common.h"

#include "archives/ziparchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzArchiveReader<kvn::archives::TZipArchive>(data, size);
}
