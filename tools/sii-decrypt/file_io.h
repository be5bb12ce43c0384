#pragma once
// File access of the decrypter program. The platform-specific parts (arguments, durable writes)
// live in file_io.cpp only.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace siicodec::program {

// The program's arguments as paths, read so that non-ASCII names survive on every platform.
std::vector<std::filesystem::path> Arguments(int argc, char **argv);

enum class ReadOutcome { Ok, Missing, TooLarge, Failed };
ReadOutcome ReadWholeFile(const std::filesystem::path &path, uint64_t maxBytes, std::vector<uint8_t> &data);

// Writes `bytes` to a new temporary file beside `target`, flushes it to the disk and renames it
// over `target`. On failure the temporary file is removed and `target` is untouched; `error`
// says what went wrong.
bool ReplaceFileAtomically(const std::filesystem::path &target, const char *bytes, size_t size, std::string &error);

} // namespace siicodec::program
