#include "engine/PairLists.h"

#include <algorithm>

namespace Fen {

namespace {
constexpr std::uint32_t firstRoom = 4;
}

void PairLists::reset(std::size_t bodies)
{
    slices.assign(bodies, Slice{});
    const std::size_t room = std::max<std::size_t>(8 * bodies, 1024);
    if (pool.size() < room) {
        pool.resize(room);
        spare.resize(room);
    }
    used = 0;
    ++edits;
}

void PairLists::link(std::uint32_t a, std::uint32_t b)
{
    const std::span<const std::uint32_t> listed = partners(a);
    if (std::binary_search(listed.begin(), listed.end(), b))
        return;
    insertSorted(a, b);
    insertSorted(b, a);
    ++edits;
}

void PairLists::unlinkAll(std::uint32_t body)
{
    const Slice s = slices[body];
    for (std::uint32_t i = 0; i < s.size; ++i)
        eraseOne(pool[s.begin + i], body);
    slices[body].size = 0;
    ++edits;
}

void PairLists::insertSorted(std::uint32_t body, std::uint32_t partner)
{
    if (slices[body].size == slices[body].capacity)
        grow(body);
    Slice& s = slices[body];
    std::uint32_t* first = pool.data() + s.begin;
    std::uint32_t* last = first + s.size;
    std::uint32_t* at = std::upper_bound(first, last, partner);
    std::copy_backward(at, last, last + 1);
    *at = partner;
    ++s.size;
}

void PairLists::eraseOne(std::uint32_t body, std::uint32_t partner)
{
    Slice& s = slices[body];
    std::uint32_t* first = pool.data() + s.begin;
    std::uint32_t* last = first + s.size;
    std::uint32_t* at = std::lower_bound(first, last, partner);
    if (at == last || *at != partner)
        return;
    std::copy(at + 1, last, at);
    --s.size;
}

void PairLists::grow(std::uint32_t body)
{
    const std::uint32_t room = std::max(firstRoom, 2 * slices[body].capacity);
    if (used + room > pool.size())
        compact(room);
    Slice& s = slices[body];
    std::copy(pool.begin() + s.begin, pool.begin() + s.begin + s.size, pool.begin() + used);
    s.begin = static_cast<std::uint32_t>(used);
    s.capacity = room;
    used += room;
}

// Packs every list with a little room to spare, into the other buffer; the
// pool grows only when even the packed lists would not leave `needed` free.
void PairLists::compact(std::size_t needed)
{
    std::size_t total = needed;
    for (const Slice& s : slices)
        total += std::max(firstRoom, s.size + s.size / 2 + 1);
    if (total > spare.size()) {
        const std::size_t room = 2 * total;
        pool.resize(room);
        spare.resize(room);
    }
    std::size_t at = 0;
    for (Slice& s : slices) {
        const std::uint32_t room = std::max(firstRoom, s.size + s.size / 2 + 1);
        std::copy(pool.begin() + s.begin, pool.begin() + s.begin + s.size, spare.begin() + at);
        s.begin = static_cast<std::uint32_t>(at);
        s.capacity = room;
        at += room;
    }
    pool.swap(spare);
    used = at;
}

} // namespace Fen
