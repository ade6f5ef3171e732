#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace Fen {

// For every body 0..n-1, the sorted list of the bodies it is paired with; a
// pair is always listed on both sides, each with a note that its user keeps
// the same on both (0 when the pair is listed). The lists share one pool, so
// that growing one rarely allocates: it moves to the end of the pool with
// twice the room, and the pool is packed when it runs out of room.
class PairLists {
public:
    void reset(std::size_t bodies);

    std::span<const std::uint32_t> partners(std::uint32_t body) const
    {
        const Slice& s = slices[body];
        return {pool.data() + s.begin, s.size};
    }
    // The notes of the body's pairs, in the order of partners(body).
    std::span<const std::uint32_t> notes(std::uint32_t body) const
    {
        const Slice& s = slices[body];
        return {notePool.data() + s.begin, s.size};
    }
    // Sets the note of the pair a-b on both sides; the pair must be listed.
    void setNote(std::uint32_t a, std::uint32_t b, std::uint32_t note);
    // Adds the pair a-b, if absent.
    void link(std::uint32_t a, std::uint32_t b);
    // Takes the body out of all its pairs.
    void unlinkAll(std::uint32_t body);
    // Changes with every edit, for walkers that must notice one.
    std::uint64_t version() const { return edits; }
    // One bit per body, set while it has a pair; 64 bodies a word.
    const std::vector<std::uint64_t>& occupied() const { return occupancy; }

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
    std::vector<std::uint32_t> notePool;
    std::vector<std::uint32_t> spare; // the other buffers for packing
    std::vector<std::uint32_t> spareNotes;
    std::vector<Slice> slices;
    std::vector<std::uint64_t> occupancy;
    std::size_t used = 0; // end of the last slice in the pool
    std::uint64_t edits = 0;
};

} // namespace Fen
