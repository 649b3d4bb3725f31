// libFuzzer target of the history scenario (built with clang and QUENBRY_FUZZ); the corpus it
// grows is replayed by the history tests.
#include "historyscenario.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string failure = quenbry::runHistoryScenario(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "history scenario failed: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
