// The libFuzzer entry point of one harness; the build names the harness
// (KORVALE_FUZZ_HARNESS: scene, robot or network) and the example files that
// stand in for the other two models (KORVALE_EXAMPLES_DIR).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzCases.h"

namespace {

Korvale::Fuzz::Harness Harness()
{
    Korvale::Fuzz::Harness harness{};
    if (!Korvale::Fuzz::HarnessFromName(KORVALE_FUZZ_HARNESS, harness)) {
        std::fprintf(stderr, "unknown fuzz harness '%s'\n", KORVALE_FUZZ_HARNESS);
        std::abort();
    }
    return harness;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Korvale::Fuzz::Harness harness = Harness();
    const std::string fault =
        Korvale::Fuzz::RunCase(harness, {reinterpret_cast<const char*>(data), size}, KORVALE_EXAMPLES_DIR).fault;
    if (!fault.empty()) {
        std::fprintf(stderr, "korvale fuzz %s: %s\n", KORVALE_FUZZ_HARNESS, fault.c_str());
        std::abort();
    }
    return 0;
}
