// kvn-scramble <data folder> <output folder>
// Writes the catalogue resources of the program from the plain catalogue text:
// TRAILERDEFINITIONS, CARGOS, COUNTRIES (scrambled), DISTANCES, CITYPOSITIONS and NAMES (plain, NAMES in
// UTF-8), DBINFO and GAMEVERSION.
#include "scrambler.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using namespace kvn::scramble;

namespace {

bool ReadFile(const fs::path &path, std::string &out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

bool WriteFileIfChanged(const fs::path &path, const std::string &data)
{
    std::string old;
    if (ReadFile(path, old) && old == data)
        return true;
    const fs::path tmp = path.string() + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out.write(data.data(), static_cast<std::streamsize>(data.size())))
            return false;
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    return !ec;
}

// Catalogue.txt holds "key=value" lines: game-version and data-timestamp (Unix seconds).
std::map<std::string, std::string> ReadKeyValues(const std::string &text)
{
    std::map<std::string, std::string> values;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: kvn-scramble <data folder> <output folder>\n";
        return 2;
    }
    const fs::path dataDir = argv[1];
    const fs::path outDir = argv[2];
    std::error_code ec;
    fs::create_directories(outDir, ec);

    std::map<std::string, std::string> text;
    for (const char *name :
         {"TrailerDefinitions", "Cargos", "Countries", "Distances", "CityPositions", "Names", "Catalogue"}) {
        if (!ReadFile(dataDir / (std::string(name) + ".txt"), text[name])) {
            std::cerr << "kvn-scramble: cannot read " << (dataDir / (std::string(name) + ".txt")).string() << "\n";
            return 1;
        }
    }
    const auto meta = ReadKeyValues(text["Catalogue"]);
    const auto version = meta.count("game-version") ? meta.at("game-version") : std::string("?");
    const auto timestamp = meta.count("data-timestamp") ? meta.at("data-timestamp") : std::string("0");

    std::ostringstream dbinfo;
    dbinfo << "# Timestamp savetime, trailer file line count, cargo file line count, distances line count, all "
              "distances in km\r\n"
           << timestamp << "\r\n"
           << CountDataLines(text["TrailerDefinitions"]) << "\r\n"
           << CountDataLines(text["Cargos"]) << "\r\n"
           << CountDataLines(text["Distances"]) << "\r\n"
           << HalfKmTotal(text["Distances"]) << "\r\n";

    const bool ok = WriteFileIfChanged(outDir / "TRAILERDEFINITIONS", ScrambleBytes(text["TrailerDefinitions"])) &&
                    WriteFileIfChanged(outDir / "CARGOS", ScrambleBytes(text["Cargos"])) &&
                    WriteFileIfChanged(outDir / "COUNTRIES", ScrambleBytes(text["Countries"])) &&
                    WriteFileIfChanged(outDir / "DISTANCES", text["Distances"]) &&
                    WriteFileIfChanged(outDir / "CITYPOSITIONS", text["CityPositions"]) &&
                    WriteFileIfChanged(outDir / "NAMES", text["Names"]) &&
                    WriteFileIfChanged(outDir / "DBINFO", dbinfo.str()) &&
                    WriteFileIfChanged(outDir / "GAMEVERSION", version + "\r\n");
    if (!ok) {
        std::cerr << "kvn-scramble: cannot write into " << outDir.string() << "\n";
        return 1;
    }
    return 0;
}
