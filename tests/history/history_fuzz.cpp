// libFuzzer target for the edit history; without libFuzzer the same entry point is run over
// the checked-in corpus by the driver at the end.
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

#ifndef QUENBRY_LIBFUZZER
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char **argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto &entry : std::filesystem::directory_iterator(argv[i])) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                   bytes.size());
            ++files;
        }
    }
    std::printf("%d corpus files passed\n", files);
    return files > 0 ? 0 : 1;
}
#endif
