#pragma once
// Inside the library a failure unwinds to the public entry point as a DecodeFailure, which turns
// it into a Result; nothing is thrown across the library's interface.
#include "siicodec/siicodec.h"

#include <string>

namespace siicodec {

struct DecodeFailure {
    Status status;
    std::string message;
};

[[noreturn]] inline void Fail(Status status, std::string message)
{
    throw DecodeFailure{status, std::move(message)};
}

} // namespace siicodec
