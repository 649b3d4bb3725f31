// Random editing sessions of the colouring (see colouringsession.h): from fixed seeds, on
// generated pages laid out and minified, and every file of the fuzz target's corpus.

#include "colouringsession.h"
#include "fuzzfiles.h"
#include "pages.h"

#include <gtest/gtest.h>
#include <random>

namespace quenbry::testing {
namespace {

std::vector<std::uint8_t> randomBytes(std::mt19937 &random, int size) {
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
    for (auto &b : bytes)
        b = std::uint8_t(random());
    return bytes;
}

TEST(ColouringSessions, RandomSessionsMatchTheReferencePass) {
    std::mt19937 random(1);
    for (int session = 0; session < 400; ++session) {
        const auto bytes = randomBytes(random, 100 + int(random() % 1200));
        ASSERT_EQ(runColouringSession(bytes.data(), bytes.size()), "") << "session " << session;
    }
}

// Many regions, long rescans and resynchronisation far from the edit.
TEST(ColouringSessions, GeneratedPagesStayExact) {
    std::mt19937 random(2);
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const QString page =
            seed % 2 ? bench::realisticPage(60'000, seed) : bench::minifiedPage(60'000, seed);
        const auto bytes = randomBytes(random, 1500);
        ASSERT_EQ(runColouringSession(bytes.data(), bytes.size(), page), "") << "page " << seed;
    }
}

TEST(ColouringSessions, FuzzCorpus) {
    runEachFile(COLOURING_CORPUS, [](const std::uint8_t *data, std::size_t size) {
        return runColouringSession(data, size);
    });
}

} // namespace
} // namespace quenbry::testing
