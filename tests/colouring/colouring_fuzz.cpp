// libFuzzer target of the colouring session (built with clang and QUENBRY_FUZZ); the corpus it
// grows is replayed by the colouring tests.
#include "colouringsession.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string fault = quenbry::testing::runColouringSession(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "colouring session failed: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
