#include "operations/IdentifierCover.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <unordered_set>

namespace c2c {

namespace {

// Which bit to split the points on where they disagree. No one choice
// wins everywhere: an even split suits identifiers spread at random, the
// lowest bits first suit identifiers that share their high bits (J1939's
// priority and PGN before the source address), and so on; the cover is made
// with each and the smallest kept.
enum class Split {
    Uneven,     // the fewest points on one side: an outlier goes alone
    Even,       // as many points on each side as can be
    HighestBit, // the highest bit (blocks that are ranges)
    LowestBit,
};
constexpr Split kSplits[] = {Split::Uneven, Split::Even, Split::HighestBit, Split::LowestBit};

class Splitter {
public:
    Splitter(std::vector<std::uint32_t> points, Split split) : points_(std::move(points)), split_(split) {}

    // Covers the block (value, mask) less the points in [begin, end), all of
    // which lie in it.
    void Cover(std::size_t begin, std::size_t end, std::uint32_t value, std::uint32_t mask, std::uint32_t space)
    {
        if (begin == end) {
            blocks_.push_back({value, mask});
            return;
        }
        std::uint32_t allOnes = space, anyOne = 0;
        for (std::size_t i = begin; i < end; ++i) {
            allOnes &= points_[i];
            anyOne |= points_[i];
        }
        const std::uint32_t free = space & ~mask;
        // A bit on which every point agrees: the other half holds none of
        // them and is one block.
        const std::uint32_t agreed = free & (allOnes | ~anyOne);
        for (std::uint32_t rest = agreed; rest != 0; rest &= rest - 1) {
            const std::uint32_t bit = rest & (~rest + 1);
            blocks_.push_back({value | (bit & ~allOnes), mask | bit});
            value |= bit & allOnes;
            mask |= bit;
        }
        if (end - begin == 1)
            return; // every bit is fixed: the block is the point itself
        const std::uint32_t best = SplitBit(begin, end, free & ~agreed);
        const auto middle = std::partition(points_.begin() + static_cast<std::ptrdiff_t>(begin),
                                           points_.begin() + static_cast<std::ptrdiff_t>(end),
                                           [best](std::uint32_t p) { return (p & best) == 0; });
        const auto split = static_cast<std::size_t>(middle - points_.begin());
        Cover(begin, split, value, mask | best, space);
        Cover(split, end, value | best, mask | best, space);
    }

    std::vector<IdentifierBlock> TakeBlocks() { return std::move(blocks_); }
    std::size_t Size() const { return points_.size(); }

private:
    // One of `open`, the bits on which the points in [begin, end) disagree.
    std::uint32_t SplitBit(std::size_t begin, std::size_t end, std::uint32_t open) const
    {
        if (split_ == Split::HighestBit)
            return std::uint32_t(1) << (31 - std::countl_zero(open));
        if (split_ == Split::LowestBit)
            return open & (~open + 1);
        std::uint32_t best = 0;
        std::size_t bestMinority = 0;
        for (std::uint32_t rest = open; rest != 0; rest &= rest - 1) {
            const std::uint32_t bit = rest & (~rest + 1);
            std::size_t ones = 0;
            for (std::size_t i = begin; i < end; ++i)
                ones += (points_[i] & bit) != 0;
            const std::size_t minority = std::min(ones, end - begin - ones);
            const bool better = split_ == Split::Uneven ? minority <= bestMinority : minority >= bestMinority;
            if (best == 0 || better) { // ties go to the higher bit
                bestMinority = minority;
                best = bit;
            }
        }
        return best;
    }

    std::vector<std::uint32_t> points_;
    Split split_;
    std::vector<IdentifierBlock> blocks_;
};

struct BlockHash {
    std::size_t operator()(const IdentifierBlock& b) const noexcept
    {
        return std::hash<std::uint64_t>()((std::uint64_t(b.mask) << 32) | b.value);
    }
};

// Two blocks with the same fixed bits whose values differ in one of them are
// one block with that bit free; merged until no such pair is left.
std::vector<IdentifierBlock> Merge(std::vector<IdentifierBlock> blocks)
{
    std::unordered_set<IdentifierBlock, BlockHash> set(blocks.begin(), blocks.end());
    bool merged = true;
    while (merged) {
        merged = false;
        std::vector<IdentifierBlock> current(set.begin(), set.end());
        std::sort(current.begin(), current.end(), [](const IdentifierBlock& a, const IdentifierBlock& b) {
            return a.mask != b.mask ? a.mask < b.mask : a.value < b.value;
        });
        for (const IdentifierBlock& block : current) {
            if (!set.contains(block))
                continue;
            for (std::uint32_t rest = block.mask; rest != 0; rest &= rest - 1) {
                const std::uint32_t bit = rest & (~rest + 1);
                const IdentifierBlock twin{block.value ^ bit, block.mask};
                if (set.contains(twin)) {
                    set.erase(block);
                    set.erase(twin);
                    set.insert({block.value & ~bit, block.mask & ~bit});
                    merged = true;
                    break;
                }
            }
        }
    }
    return {set.begin(), set.end()};
}

} // namespace

std::vector<IdentifierBlock> CoverComplement(std::span<const std::uint32_t> excluded, int bits)
{
    const std::uint32_t space = bits >= 32 ? 0xFFFFFFFFu : (std::uint32_t(1) << bits) - 1;
    std::vector<std::uint32_t> points;
    points.reserve(excluded.size());
    for (std::uint32_t id : excluded)
        if ((id & ~space) == 0)
            points.push_back(id);
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());

    std::optional<std::vector<IdentifierBlock>> smallest;
    for (Split split : kSplits) {
        Splitter splitter(points, split);
        splitter.Cover(0, splitter.Size(), 0, 0, space);
        std::vector<IdentifierBlock> cover = Merge(splitter.TakeBlocks());
        if (!smallest || cover.size() < smallest->size())
            smallest = std::move(cover);
        if (smallest->size() <= 1)
            break; // nothing can do better
    }
    std::vector<IdentifierBlock> blocks = std::move(*smallest);
    std::sort(blocks.begin(), blocks.end(), [](const IdentifierBlock& a, const IdentifierBlock& b) {
        return a.value != b.value ? a.value < b.value : a.mask > b.mask;
    });
    return blocks;
}

} // namespace c2c
