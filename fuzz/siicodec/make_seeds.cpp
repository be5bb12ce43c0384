// Writes starting inputs for the three harnesses: siicodec-fuzz-seeds <folder>
// creates <folder>/bsii, <folder>/scsc and <folder>/3nk. Besides the fixtures, a small save of
// kvn-savegen in the binary form gives the harnesses units shaped like the game's.
#include "gameclasses.h"
#include "savegen.h"
#include "sii_fixtures.h"

#include <QBuffer>
#include <QCoreApplication>

#include <zlib.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace siifixtures;

static void Put(const fs::path &file, uint8_t prefix, bool withPrefix, const Bytes &bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    if (withPrefix)
        out.put(char(prefix));
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// The binary form of a generated save of a few hundred lines; empty if it cannot be made.
static Bytes GeneratedBinarySave()
{
    kvn::savegen::Options options;
    options.Seed = 5;
    options.Lines = 400;
    QBuffer text;
    text.open(QIODevice::WriteOnly);
    kvn::savegen::WriteGameSii(kvn::savegen::Catalogue::FromResources(), options, text);
    const QByteArray binary = kvn::savegen::StoreGameSii(text.data(), kvn::savegen::SaveForm::Binary, options.Seed);
    return Bytes(binary.begin(), binary.end());
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const fs::path root = argv[1];
    const Bytes generated = GeneratedBinarySave();
    if (generated.empty())
        return 1;
    Put(root / "bsii" / "savegen", 0, false, generated);
    Put(root / "scsc" / "savegen_file", 0, true, MakeContainer(generated));
    for (uint32_t v = 1; v <= 3; ++v) {
        const Bytes sample = AllTypesSample(v);
        Put(root / "bsii" / ("all_types_v" + std::to_string(v)), 0, false, sample);
        Put(root / "scsc" / ("file_v" + std::to_string(v)), 0, true, MakeContainer(sample));
        Put(root / "scsc" / ("payload_v" + std::to_string(v)), 2, true, sample);
        uLongf packedSize = compressBound(uLong(sample.size()));
        Bytes packed(packedSize + 4);
        const uint32_t size = uint32_t(sample.size());
        for (int i = 0; i < 4; ++i)
            packed[i] = uint8_t(size >> (8 * i));
        compress2(packed.data() + 4, &packedSize, sample.data(), uLong(sample.size()), 6);
        packed.resize(packedSize + 4);
        Put(root / "scsc" / ("zlib_v" + std::to_string(v)), 1, true, packed);
    }
    const std::string text = "SiiNunit\r\n{\r\nlocalization_db : .l10n {\r\n key[]: \"a\"\r\n}\r\n\r\n}\r\n";
    Put(root / "scsc" / "text", 2, true, ToBytes(text));
    Put(root / "scsc" / "3nk", 2, true, Make3nK(text, 3));
    Put(root / "3nk" / "text", 5, true, ToBytes(text));
    return 0;
}
