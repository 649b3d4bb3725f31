#include "text/gapbuffer.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace quenbry {
namespace {

std::u16string contents(const TextBuffer &b) {
    std::u16string s(size_t(b.size()), u' ');
    b.copyOut(0, b.size(), s.data());
    return s;
}

// Random replaces against std::u16string as the oracle, with the gap moving back and forth
// and growing past its capacity, on a text taken over as it was decoded; what a replace removed
// stays readable in the gap when the insertion fits beside it.
TEST(GapBuffer, MatchesPlainStringUnderRandomEdits) {
    std::mt19937 rng(7);
    TextBuffer b;
    b.adopt(QStringLiteral("taken over"));
    std::u16string oracle = u"taken over";
    for (int step = 0; step < 5000; ++step) {
        const int pos = oracle.empty() ? 0 : int(rng() % (oracle.size() + 1));
        const int rem = int(rng() % 4) == 0 ? int(rng() % (oracle.size() - pos + 1)) % 8 : 0;
        std::u16string ins(size_t(rng() % (step % 97 == 0 ? 300 : 5)), u'a' + char16_t(rng() % 26));
        const bool keeps = b.keepsRemoved(int(ins.size()));
        const std::u16string removed = oracle.substr(size_t(pos), size_t(rem));
        b.replace(pos, rem, ins.data(), int(ins.size()));
        if (keeps) {
            ASSERT_EQ(std::u16string(b.removedRun(), size_t(b.removedLength())), removed);
        }
        oracle.replace(size_t(pos), size_t(rem), ins);
        ASSERT_EQ(b.size(), int(oracle.size()));
        if (step % 50 == 0) {
            ASSERT_EQ(contents(b), oracle);
        }
        if (!oracle.empty()) {
            const int probe = int(rng() % oracle.size());
            ASSERT_EQ(b.at(probe), oracle[size_t(probe)]);
            const char16_t c = oracle[size_t(probe)];
            const int from = int(rng() % oracle.size());
            const auto want = oracle.find(c, size_t(from));
            ASSERT_EQ(b.indexOf(c, from), want == std::u16string::npos ? -1 : int(want));
            const auto wantBack = oracle.rfind(c, size_t(from));
            ASSERT_EQ(b.lastIndexOf(c, from),
                      wantBack == std::u16string::npos ? -1 : int(wantBack));
        }
    }
    EXPECT_EQ(contents(b), oracle);
}

} // namespace
} // namespace quenbry
