// The blocks that cover everything but some identifiers: each identifier
// outside the excluded set in exactly one block, none inside, and as few
// blocks as the known minimums where those are known (a cube less one point
// takes one block per bit; less an aligned block of 2^k, one per fixed bit).

#include "operations/IdentifierCover.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

namespace c2c {
namespace {

std::vector<std::uint32_t> Range(std::uint32_t first, std::uint32_t last)
{
    std::vector<std::uint32_t> ids;
    for (std::uint32_t id = first; id <= last; ++id)
        ids.push_back(id);
    return ids;
}

// Every identifier of the space counted against the blocks.
void ExpectExactCover(const std::vector<IdentifierBlock>& blocks, const std::vector<std::uint32_t>& excluded, int bits)
{
    const std::set<std::uint32_t> out(excluded.begin(), excluded.end());
    for (std::uint32_t id = 0; id < (1u << bits); ++id) {
        const auto hits = std::count_if(blocks.begin(), blocks.end(), [id](const IdentifierBlock& b) { return b.Contains(id); });
        ASSERT_EQ(hits, out.contains(id) ? 0 : 1) << "identifier " << id;
    }
}

struct CoverCase {
    const char* name;
    std::vector<std::uint32_t> excluded;
    int bits;
    std::size_t blocks; // the least number there can be
};

TEST(IdentifierCover, CoversExactlyWithTheLeastBlocksWhereKnown)
{
    const CoverCase cases[] = {
        {"nothing excluded", {}, 11, 1},
        {"everything excluded", Range(0, 0x7FF), 11, 0},
        {"one identifier", {0x123}, 11, 11},
        {"the lowest", {0x000}, 11, 11},
        {"the highest", {0x7FF}, 11, 11},
        {"an aligned pair", {0x122, 0x123}, 11, 10},
        {"an aligned range of 256", Range(0x100, 0x1FF), 11, 3},
        {"all but one", [] { auto r = Range(0, 0x7FF); r.erase(r.begin() + 0x2AA); return r; }(), 11, 1},
        {"duplicates and identifiers too wide", {0x005, 0x005, 0x800, 0xFFFFFFFF}, 11, 11},
        {"odd ones of 4 bits", {1, 3, 5, 7, 9, 11, 13, 15}, 4, 1},
    };
    for (const CoverCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<IdentifierBlock> blocks = CoverComplement(c.excluded, c.bits);
        EXPECT_EQ(blocks.size(), c.blocks);
        ExpectExactCover(blocks, c.excluded, c.bits);
    }
}

TEST(IdentifierCover, ScatteredIdentifiersOfSmallSpacesAreCoveredExactly)
{
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        const int bits = 4 + round % 9;
        std::vector<std::uint32_t> excluded;
        const std::uint32_t count = random() % (1u << bits);
        for (std::uint32_t i = 0; i < count; ++i)
            excluded.push_back(random() % (1u << bits));
        ExpectExactCover(CoverComplement(excluded, bits), excluded, bits);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

// Too large to count every identifier: no two blocks meet, none holds an
// excluded identifier, and their sizes add up to the rest of the space.
TEST(IdentifierCover, TwentyNineBitIdentifiersAreCoveredExactly)
{
    std::mt19937 random(29);
    for (std::size_t count : {1u, 2u, 50u, 300u}) {
        std::set<std::uint32_t> excluded;
        while (excluded.size() < count)
            excluded.insert(random() % 0x20000000);
        const std::vector<std::uint32_t> list(excluded.begin(), excluded.end());
        const std::vector<IdentifierBlock> blocks = CoverComplement(list, 29);
        std::uint64_t covered = 0;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            covered += std::uint64_t(1) << (29 - std::popcount(blocks[i].mask));
            for (std::uint32_t id : list)
                ASSERT_FALSE(blocks[i].Contains(id));
            for (std::size_t j = i + 1; j < blocks.size(); ++j)
                ASSERT_NE((blocks[i].value ^ blocks[j].value) & blocks[i].mask & blocks[j].mask, 0u)
                    << "blocks " << i << " and " << j << " overlap";
        }
        EXPECT_EQ(covered, (std::uint64_t(1) << 29) - count);
    }
}

} // namespace
} // namespace c2c
