#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace Fen {

// For every body 0..n-1, the sorted list of the bodies it is paired with; a
// pair is always listed on both sides. The lists share one pool, so that
// growing one rarely allocates: it moves to the end of the pool with twice
// the room, and the pool is compacted when moved-out room piles up.
class PairLists {
public:
    void reset(std::size_t bodies);

    std::span<const std::uint32_t> partners(std::uint32_t body) const
    {
        const Slice& s = slices[body];
        return {pool.data() + s.begin, s.size};
    }
    // Adds the pair a-b, if absent.
    void link(std::uint32_t a, std::uint32_t b);
    // Takes the body out of all its pairs.
    void unlinkAll(std::uint32_t body);
    // Changes with every edit, for walkers that must notice one.
    std::uint64_t version() const { return edits; }

private:
    struct Slice {
        std::uint32_t begin = 0;
        std::uint32_t size = 0;
        std::uint32_t capacity = 0;
    };

    void insertSorted(std::uint32_t body, std::uint32_t partner);
    void eraseOne(std::uint32_t body, std::uint32_t partner);
    void grow(std::uint32_t body);
    void compact(std::size_t needed);

    std::vector<std::uint32_t> pool;
    std::vector<std::uint32_t> spare; // the other buffer for compaction
    std::vector<Slice> slices;
    std::size_t used = 0;             // end of the last slice in the pool
    std::uint64_t edits = 0;
};

} // namespace Fen
