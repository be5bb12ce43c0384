// Decoding an encrypted binary save of realistic make-up, well above real save sizes:
//   bench_decode [MB of text, default 64]
// Reports, from one run: decrypt + inflate alone, decoding alone (every check, no text),
// decoding with writing, the whole conversion, MB of text per second, and peak memory.
#include "sii_fixtures.h"
#include "siicodec/siicodec.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

using namespace siifixtures;
using Clock = std::chrono::steady_clock;

namespace {

// Resident and peak resident memory of the process in MiB, and a reset of the peak (Linux only;
// elsewhere 0).
double StatusMiB(const char *field)
{
#ifdef __linux__
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atof(line.c_str() + std::strlen(field)) / 1024.0;
#else
    (void)field;
#endif
    return 0;
}
double PeakMiB()
{
    return StatusMiB("VmHWM:");
}
void ResetPeak()
{
#ifdef __linux__
    std::ofstream("/proc/self/clear_refs") << "5";
#endif
}

struct Lcg {
    uint64_t s = 0x9E3779B97F4A7C15ull;
    uint32_t Next()
    {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return uint32_t(s >> 33);
    }
    float Unit() { return float(Next() % 100000) / 100000.0f; }
};

const char *const kCities[] = {"berlin", "verona", "mannheim", "orebro", "milano", "paris", "lyon", "krakow"};
const char *const kCompanies[] = {"euroacres", "eurogoodies", "tesore_gust", "nord_crown", "posped", "itcc"};
const char *const kCargos[] = {"apples", "beverages", "cement", "chemicals", "electronics", "furniture"};

// A save made of the units the program works with, in the proportions of a real one.
Bytes MakeSave(size_t targetPayloadBytes)
{
    Lcg rng;
    BsiiWriter w(3);
    w.Structure(1, "job_offer_data",
                {{0x01, "target"},
                 {0x27, "expiration_time"},
                 {0x27, "urgency"},
                 {0x2B, "shortest_distance_km"},
                 {0x2B, "ferry_time"},
                 {0x2B, "ferry_price"},
                 {0x3D, "cargo"},
                 {0x01, "company_truck"},
                 {0x3D, "trailer_variant"},
                 {0x3D, "trailer_definition"},
                 {0x27, "units_count"},
                 {0x05, "fill_ratio"},
                 {0x1A, "trailer_place"}});
    w.Structure(2, "company",
                {{0x3D, "permanent_data"},
                 {0x39, "delivered_trailer"},
                 {0x1A, "delivered_pos"},
                 {0x3A, "job_offer"},
                 {0x28, "cargo_offer_seeds"},
                 {0x35, "discovered"},
                 {0x27, "reserved_trailer_slot"},
                 {0x27, "state"}});
    w.Structure(3, "economy_event", {{0x27, "time"}, {0x3B, "unit_link"}, {0x27, "param"}});
    w.Structure(4, "vehicle_accessory",
                {{0x3D, "data_path"},
                 {0x01, "license_plate"},
                 {0x06, "wear"},
                 {0x09, "color"},
                 {0x17, "rotation"},
                 {0x11, "position"},
                 {0x31, "odometer"},
                 {0x2F, "refund"},
                 {0x04, "paint_job"}});
    uint64_t nameless = 0x28211A9F520ull;
    const auto placement = [&] {
        w.F32(rng.Unit() * 512 - 256).F32(rng.Unit() * 50).F32(rng.Unit() * 512 - 256);
        w.F32(float(0x800800 + rng.Next() % 4096)).F32(1).F32(0).F32(rng.Unit()).F32(0);
    };
    while (w.Size() < targetPayloadBytes) {
        const std::string company = kCompanies[rng.Next() % 6];
        const std::string city = kCities[rng.Next() % 8];
        const int offers = 3;
        const uint64_t firstOffer = nameless;
        for (int i = 0; i < offers; ++i) {
            w.Unit(1).IdNameless(nameless += 0x30);
            const bool used = rng.Next() % 4 != 0;
            w.Str(used ? std::string(kCompanies[rng.Next() % 6]) + "." + kCities[rng.Next() % 8] : "");
            w.U32(used ? rng.Next() % 20000 : 0xFFFFFFFF).U32(used ? rng.Next() % 3 : 0xFFFFFFFF);
            w.U16(uint16_t(rng.Next() % 3000)).U16(uint16_t(rng.Next() % 200)).U16(0);
            if (used)
                w.IdNamed(std::string("cargo.") + kCargos[rng.Next() % 6]);
            else
                w.IdNull();
            w.Str("").IdNamed("trailer.scs.box.single_3.curtain").IdNamed("trailer_def.scs.box.single_3.curtain");
            w.U32(used ? rng.Next() % 30 : 0xFFFFFFFF).F32(used ? 1.0f : rng.Unit());
            w.U32(1);
            placement();
        }
        w.Unit(2).IdNamed("company.volatile." + company + "." + city);
        w.IdNamed("company.permanent." + company).IdNull().U32(1);
        placement();
        w.U32(offers);
        for (int i = 0; i < offers; ++i)
            w.IdNameless(firstOffer + 0x30 * uint64_t(i + 1));
        w.U32(4);
        for (int i = 0; i < 4; ++i)
            w.U32(rng.Next());
        w.U8(1).U32(0xFFFFFFFF).U32(rng.Next() % 4);
        w.Unit(3).IdNameless(nameless += 0x10).U32(rng.Next() % 100000);
        w.IdNamed("company.volatile." + company + "." + city).U32(rng.Next() % 3);
        w.Unit(4).IdNameless(nameless += 0x10).IdNamed("vehicle.scania.r.accessory");
        w.Str("XY 123-" + std::to_string(rng.Next() % 1000)).U32(4);
        for (int i = 0; i < 4; ++i)
            w.F32(rng.Unit());
        w.F32(rng.Unit()).F32(1).F32(0.25f).F32(1).F32(0).F32(rng.Unit()).F32(0);
        w.U32(rng.Next() % 100000).U32(rng.Next()).U32(uint32_t(-int(rng.Next() % 5000)));
        w.U64(rng.Next() * 1000ull).U32(rng.Next()).U32(2).U64(Token("default")).U64(Token("metallic"));
    }
    return w.End().Take();
}

bool Check(const siicodec::Result &r)
{
    if (!r.Ok())
        std::fprintf(stderr, "failed: %s\n", r.message.c_str());
    return r.Ok();
}

// Wall time and the process's CPU time: on a shared machine the CPU time is the steadier figure.
struct Stamp {
    Clock::time_point wall = Clock::now();
    std::clock_t cpu = std::clock();
};
struct Span {
    double wall = 1e9;
    double cpu = 1e9;
    void Keep(const Stamp &a, const Stamp &b)
    {
        wall = std::min(wall, std::chrono::duration<double>(b.wall - a.wall).count());
        cpu = std::min(cpu, double(b.cpu - a.cpu) / CLOCKS_PER_SEC);
    }
};

} // namespace

int main(int argc, char **argv)
{
    const double targetTextMB = argc > 1 ? std::atof(argv[1]) : 64.0;
    const Bytes payload = MakeSave(size_t(targetTextMB * 1e6 / 3.1));
    const Bytes file = MakeContainer(payload);
    std::printf("input: %.1f MB encrypted, %.1f MB binary SII\n", file.size() / 1e6, payload.size() / 1e6);

    const int rounds = 5;
    Span decrypt, walk, decode, whole;
    double peak = 0;
    double residentBefore = 0;
    size_t textBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        std::vector<uint8_t> unpacked;
        const Stamp t0;
        if (!Check(siicodec::DecryptContainer(file, unpacked)))
            return 1;
        const Stamp t1;
        if (!Check(siicodec::WalkBinary(unpacked)))
            return 1;
        const Stamp t2;
        {
            siicodec::TextBuffer text;
            if (!Check(siicodec::DecodeBinary(unpacked, text)))
                return 1;
            textBytes = text.Size();
        }
        const Stamp t3;
        unpacked = {};
        decrypt.Keep(t0, t1);
        walk.Keep(t1, t2);
        decode.Keep(t2, t3);

        // The whole conversion as SII_Decrypt.exe does it, with the peak memory it needs.
        ResetPeak();
        residentBefore = StatusMiB("VmRSS:");
        const Stamp t4;
        siicodec::TextBuffer text;
        if (!Check(siicodec::ConvertToText(file, text)) || text.Size() != textBytes)
            return 1;
        const Stamp t5;
        whole.Keep(t4, t5);
        peak = std::max(peak, PeakMiB());
    }
    const double mb = textBytes / 1e6;
    std::printf("text: %.1f MB; best of %d rounds, wall / CPU time in ms\n", mb, rounds);
    auto line = [](const char *what, const Span &s) {
        std::printf("  %-36s %8.1f / %8.1f\n", what, s.wall * 1e3, s.cpu * 1e3);
    };
    line("decrypt + inflate alone", decrypt);
    line("decoding alone (all checks, no text)", walk);
    line("decoding + writing text", decode);
    line("whole conversion", whole);
    std::printf("  writing alone (difference)           %8.1f / %8.1f\n", (decode.wall - walk.wall) * 1e3,
                (decode.cpu - walk.cpu) * 1e3);
    std::printf("speed of the whole conversion: %.1f MB of text per second (wall), %.1f (CPU)\n", mb / whole.wall,
                mb / whole.cpu);
    std::printf("peak memory during the whole conversion: %.1f MiB of the process, %.1f MiB above what it held "
                "before (%.1f MiB text buffer)\n",
                peak, peak - residentBefore, double(textBytes) / (1 << 20));
    // The real encrypted save of the test data, when it is here: a conversion of everyday size.
    std::ifstream real(KVN_SHARED_DIR "/realsaves/encrypted-2025/save/1/game.sii", std::ios::binary);
    if (real) {
        const Bytes save((std::istreambuf_iterator<char>(real)), std::istreambuf_iterator<char>());
        Span span;
        size_t bytes = 0;
        for (int round = 0; round < 10; ++round) {
            siicodec::TextBuffer text;
            const Stamp a;
            if (!Check(siicodec::ConvertToText(save, text)))
                return 1;
            const Stamp b;
            span.Keep(a, b);
            bytes = text.Size();
        }
        std::printf("real save (%.2f MB encrypted -> %.1f MB text): %.1f ms wall, %.1f ms CPU, %.1f MB/s (CPU)\n",
                    save.size() / 1e6, bytes / 1e6, span.wall * 1e3, span.cpu * 1e3, bytes / 1e6 / span.cpu);
    }
    return 0;
}
