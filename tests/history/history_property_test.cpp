// Random editing sessions against the whole-text model (see historyscenario.h): from fixed
// seeds, and every file of the fuzz target's corpus.
#include "fuzzfiles.h"
#include "historyscenario.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace quenbry {
namespace {

TEST(HistoryProperty, RandomSessions) {
    std::mt19937 random(20240611);
    for (int session = 0; session < 600; ++session) {
        std::vector<std::uint8_t> bytes(40 + random() % 400);
        for (auto &b : bytes)
            b = std::uint8_t(random());
        ASSERT_EQ(runHistoryScenario(bytes.data(), bytes.size()), "") << "session " << session;
    }
}

TEST(HistoryProperty, FuzzCorpus) {
    runEachFile(HISTORY_CORPUS, runHistoryScenario);
}

} // namespace
} // namespace quenbry
