#pragma once
// Shared checks of the siicodec harnesses: small limits so that a hostile input cannot push the
// fuzzer past its memory limit, and the invariants every successful conversion must keep.
#include "siicodec/siicodec.h"

#include <cstdlib>
#include <string_view>

inline siicodec::Options FuzzOptions()
{
    siicodec::Options o;
    o.maxPayloadBytes = 16 << 20;
    o.maxTextBytes = 32 << 20;
    return o;
}

inline void CheckResult(const siicodec::Result &r, const siicodec::TextBuffer &text, bool decodedBinary)
{
    if (!r.Ok() && r.status != siicodec::Status::AlreadyPlain) {
        // A failure leaves no text and always says why.
        if (text.Size() != 0 || r.message.empty())
            std::abort();
        return;
    }
    if (decodedBinary) {
        const std::string_view t = text.View();
        if (!t.starts_with("SiiNunit\r\n{\r\n") || !t.ends_with("}\r\n"))
            std::abort();
    }
}
