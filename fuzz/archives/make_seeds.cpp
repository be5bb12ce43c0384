// Writes one small archive of each format into <folder>/{v1,v2,zip}/, the harnesses' starting inputs.
#include "archivewriter.h"

#include <filesystem>
#include <string>

using namespace kvn::archives::testing;

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    TTestArchive a;
    a.Files = {{"def/city.sii", "SiiNunit\n{\n}\n", false},
               {"def/city/berlin.sui", "city_data: city.berlin {}", true},
               {"manifest.sii", "mod_package: .p {}", true}};
    const std::string root = argv[1];
    for (const char *kind : {"v1", "v2", "zip"})
        std::filesystem::create_directories(root + "/" + kind);
    bool ok = WriteFileBytes(root + "/v1/sample", WriteHashFsV1(a)) &&
              WriteFileBytes(root + "/v2/sample", WriteHashFsV2(a)) &&
              WriteFileBytes(root + "/zip/sample", WriteZip(a));
    a.Salt = 7;
    ok = ok && WriteFileBytes(root + "/v1/salted", WriteHashFsV1(a)) &&
         WriteFileBytes(root + "/v2/salted", WriteHashFsV2(a));
    a.ZipBreakLocalHeaders = true;
    ok = ok && WriteFileBytes(root + "/zip/locked", WriteZip(a));
    return ok ? 0 : 1;
}
