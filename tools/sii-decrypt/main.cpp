// SII_Decrypt.exe: turns an encrypted, binary or scrambled SII file into plain SII text.
//
//   SII_Decrypt.exe <file>              converts the file in place
//   SII_Decrypt.exe <file> -o <output>  writes the text to <output>, leaves <file> alone
//
// All or nothing: the text goes to a temporary file beside the target, which replaces the target
// only after the whole conversion worked. Exit codes: 0 converted, 1 already plain (untouched),
// 10 unknown form, 11 too short, 12 unsupported, 13 damaged, 14 cannot write, 15 cannot read,
// 2 wrong arguments.
#include "file_io.h"
#include "siicodec/siicodec.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

namespace fs = std::filesystem;
using siicodec::Status;
namespace program = siicodec::program;

constexpr uint64_t kMaxInputBytes = uint64_t(1) << 30;
constexpr int kUsageExit = 2;

std::string Shown(const fs::path &path)
{
    try {
        return path.string();
    } catch (const std::exception &) {
        return "the file"; // a name the console's code page cannot show
    }
}

void Say(const fs::path &file, const std::string &what)
{
    std::fprintf(stderr, "SII_Decrypt: %s: %s\n", Shown(file.filename()).c_str(), what.c_str());
}

int Run(const std::vector<fs::path> &args)
{
    fs::path input;
    fs::path output;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size() && output.empty()) {
            output = args[++i];
        } else if (input.empty() && !args[i].empty()) {
            input = args[i];
        } else {
            input.clear();
            break;
        }
    }
    if (input.empty()) {
        std::fprintf(stderr, "usage: SII_Decrypt.exe <file> [-o <output file>]\n");
        return kUsageExit;
    }
    const bool inPlace = output.empty();
    const fs::path target = inPlace ? input : output;
    const std::string untouched = inPlace ? " The file was left as it was." : "";

    std::vector<uint8_t> data;
    switch (program::ReadWholeFile(input, kMaxInputBytes, data)) {
    case program::ReadOutcome::Ok:
        break;
    case program::ReadOutcome::Missing:
        Say(input, "the file does not exist.");
        return static_cast<int>(Status::CannotRead);
    case program::ReadOutcome::TooLarge:
        Say(input, "the file is larger than 1 GiB, which no save comes near." + untouched);
        return static_cast<int>(Status::Unsupported);
    case program::ReadOutcome::Failed:
        Say(input, "the file cannot be read.");
        return static_cast<int>(Status::CannotRead);
    }

    siicodec::TextBuffer text;
    const siicodec::Result result = siicodec::ConvertToText(data, text);
    data = {};
    if (result.status == Status::AlreadyPlain && inPlace) {
        Say(input, "the file is already plain text; nothing to do.");
        return static_cast<int>(Status::AlreadyPlain);
    }
    if (result.status != Status::AlreadyPlain && !result.Ok()) {
        Say(input, "not converted: " + result.message + "." + untouched);
        return static_cast<int>(result.status);
    }

    std::string error;
    if (!program::ReplaceFileAtomically(target, text.Data(), text.Size(), error)) {
        Say(target, "the text could not be written: " + error + "." + untouched);
        return static_cast<int>(Status::CannotWrite);
    }
    if (result.status == Status::AlreadyPlain) {
        Say(input, "the file is already plain text; copied unchanged to " + Shown(output) + ".");
        return static_cast<int>(Status::AlreadyPlain);
    }
    Say(input, inPlace ? "converted to plain text." : "converted to plain text in " + Shown(output) + ".");
    return static_cast<int>(Status::Converted);
}

} // namespace

int main(int argc, char **argv)
{
    try {
        return Run(siicodec::program::Arguments(argc, argv));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "SII_Decrypt: unexpected failure (%s); nothing was changed.\n", e.what());
        return static_cast<int>(Status::CannotWrite);
    }
}
