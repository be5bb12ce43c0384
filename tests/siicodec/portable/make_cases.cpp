// siicodec-cases <folder>: writes one file per case the decrypter must handle (every stored form,
// and the ways a file can be damaged, cut off or not a save at all), named after the case.
#include "sii_fixtures.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace siifixtures;

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: siicodec-cases <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    BsiiWriter unknownType(3);
    unknownType.Structure(1, "vehicle", {{0x16, "wheel_frames"}}).End();
    const Bytes plain = ToBytes("SiiNunit\r\n{\r\n}\r\n");
    Bytes cutBinary = AllTypesSample(3);
    cutBinary.resize(cutBinary.size() - 7);
    const Bytes container = MakeContainer(AllTypesSample(3));

    const std::vector<std::pair<const char *, Bytes>> cases = {
        {"encrypted-binary-v1", MakeContainer(AllTypesSample(1))},
        {"encrypted-binary-v2", MakeContainer(AllTypesSample(2))},
        {"encrypted-binary-v3", container},
        {"binary-v3", AllTypesSample(3)},
        {"worked-example", WorkedExample()},
        {"encrypted-text", MakeContainer(plain)},
        {"3nK", Make3nK("SiiNunit\r\n{\r\n a: b\r\n}\r\n", 77)},
        {"plain", plain},
        {"plain-after-bom", ToBytes("\xEF\xBB\xBFSiiNunit\r\n{\r\n}")},
        {"empty", {}},
        {"not-a-save", ToBytes("PK\3\4 not a save")},
        {"too-short", ToBytes("Sc")},
        {"header-cut", Bytes(container.begin(), container.begin() + 40)},
        {"unknown-type", MakeContainer(unknownType.Data())},
        {"format-version-7", BsiiWriter(7).End().Data()},
        {"bad-padding", MakeContainer(AllTypesSample(3), {.badPadding = true})},
        {"corrupt-zlib", MakeContainer(AllTypesSample(3), {.corruptZlib = true})},
        {"cut-inside-a-block", Bytes(container.begin(), container.end() - 5)},
        {"cut-by-whole-blocks", Bytes(container.begin(), container.end() - 32)},
        {"size-field-wrong", MakeContainer(AllTypesSample(3), {.sizeFieldDelta = -3})},
        {"truncated-binary", MakeContainer(cutBinary)},
    };
    for (const auto &[name, bytes] : cases) {
        std::ofstream out(folder / (std::string(name) + ".sii"), std::ios::binary);
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "siicodec-cases: cannot write %s\n", name);
            return 1;
        }
    }
    return 0;
}
