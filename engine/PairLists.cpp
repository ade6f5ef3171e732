#include "engine/PairLists.h"

#include <algorithm>
#include <utility>

namespace Fen {

namespace {
constexpr std::uint32_t firstRoom = 4;
}

void PairLists::reset(std::size_t bodies)
{
    slices.assign(bodies, Slice{});
    occupancy.assign((bodies + 63) / 64, 0);
    const std::size_t room = std::max<std::size_t>(8 * bodies, 1024);
    if (pool.size() < room) {
        pool.resize(room);
        notePool.resize(room);
        spare.resize(room);
        spareNotes.resize(room);
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

void PairLists::setNote(std::uint32_t a, std::uint32_t b, std::uint32_t note)
{
    for (const auto& [body, partner] : {std::pair{a, b}, std::pair{b, a}}) {
        const Slice& s = slices[body];
        const std::uint32_t* first = pool.data() + s.begin;
        const std::uint32_t* at = std::lower_bound(first, first + s.size, partner);
        notePool[at - pool.data()] = note;
    }
}

void PairLists::unlinkAll(std::uint32_t body)
{
    const Slice s = slices[body];
    for (std::uint32_t i = 0; i < s.size; ++i)
        eraseOne(pool[s.begin + i], body);
    slices[body].size = 0;
    occupancy[body / 64] &= ~(std::uint64_t{1} << (body % 64));
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
    std::uint32_t* notes = notePool.data() + (at - pool.data());
    std::copy_backward(notes, notePool.data() + (last - pool.data()), notePool.data() + (last - pool.data()) + 1);
    *notes = 0;
    ++s.size;
    occupancy[body / 64] |= std::uint64_t{1} << (body % 64);
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
    std::uint32_t* notes = notePool.data() + (at - pool.data());
    std::copy(notes + 1, notePool.data() + (last - pool.data()), notes);
    if (--s.size == 0)
        occupancy[body / 64] &= ~(std::uint64_t{1} << (body % 64));
}

void PairLists::grow(std::uint32_t body)
{
    const std::uint32_t room = std::max(firstRoom, 2 * slices[body].capacity);
    if (used + room > pool.size())
        compact(room);
    Slice& s = slices[body];
    std::copy(pool.begin() + s.begin, pool.begin() + s.begin + s.size, pool.begin() + used);
    std::copy(notePool.begin() + s.begin, notePool.begin() + s.begin + s.size, notePool.begin() + used);
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
        notePool.resize(room);
        spare.resize(room);
        spareNotes.resize(room);
    }
    std::size_t at = 0;
    for (Slice& s : slices) {
        const std::uint32_t room = std::max(firstRoom, s.size + s.size / 2 + 1);
        std::copy(pool.begin() + s.begin, pool.begin() + s.begin + s.size, spare.begin() + at);
        std::copy(notePool.begin() + s.begin, notePool.begin() + s.begin + s.size, spareNotes.begin() + at);
        s.begin = static_cast<std::uint32_t>(at);
        s.capacity = room;
        at += room;
    }
    pool.swap(spare);
    notePool.swap(spareNotes);
    used = at;
}

} // namespace Fen
