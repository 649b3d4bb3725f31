// Random editing sessions against the whole-text model; the same sessions the fuzz target
// explores, here from fixed seeds so that a failure repeats.
#include "historyscenario.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace quenbry {
namespace {

TEST(HistoryProperty, RandomSessionsKeepEveryEntryExact) {
    std::mt19937 random(20240611);
    for (int session = 0; session < 600; ++session) {
        std::vector<std::uint8_t> bytes(40 + random() % 400);
        for (auto &b : bytes)
            b = std::uint8_t(random());
        const std::string failure = runHistoryScenario(bytes.data(), bytes.size());
        ASSERT_EQ(failure, "") << "session " << session;
    }
}

} // namespace
} // namespace quenbry
