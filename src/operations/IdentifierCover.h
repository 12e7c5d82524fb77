#pragma once
// Identifier/mask blocks that cover a set of CAN identifiers exactly once.
//
// The kernel's CAN gateway fires every rule whose filter matches a frame, so
// rules that overlap send a frame twice: "everything but these identifiers"
// must be made of blocks that do not overlap. A block is the identifiers
// whose bits under `mask` equal `value`; the cover is found by splitting the
// identifier space bit by bit around the excluded identifiers (each half
// that holds none of them is one block), then merging any two blocks that
// differ in one fixed bit only; of a few ways to choose the bits, the one
// that gives the fewest blocks is kept. Finding the smallest such cover is a
// hard problem in general; this one is exact, disjoint and small.

#include <cstdint>
#include <span>
#include <vector>

namespace c2c {

struct IdentifierBlock {
    std::uint32_t value = 0; // value & ~mask == 0
    std::uint32_t mask = 0;  // the fixed bits

    bool Contains(std::uint32_t id) const { return (id & mask) == value; }
    bool operator==(const IdentifierBlock&) const = default;
};

// Blocks that cover every identifier of `bits` bits (1 to 31) that is not in
// `excluded`, each exactly once, ordered by value. `excluded` may be in any
// order and hold duplicates; identifiers of more than `bits` bits in it are
// ignored.
std::vector<IdentifierBlock> CoverComplement(std::span<const std::uint32_t> excluded, int bits);

} // namespace c2c
