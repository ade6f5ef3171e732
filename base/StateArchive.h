#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace Tarn {

// A snapshot that does not fit what it is restored into: another scene or
// robot, another kind of snapshot, or bytes cut short.
class StateMismatch : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Walks the fields of a running simulation in one fixed order, so that one
// list of fields serves three purposes: saving them as bytes, checking that
// bytes fit a simulation without changing it, and loading them into it.
// Numbers travel as their bits, so a loaded run continues bit for bit.
class StateArchive {
public:
    enum class Mode { Save, Check, Load };

    static StateArchive Saving() { return StateArchive(Mode::Save, {}); }
    // Reads bytes; Check only compares the structure, Load also assigns.
    static StateArchive Reading(std::string_view bytes, bool load)
    {
        return StateArchive(load ? Mode::Load : Mode::Check, bytes);
    }

    Mode GetMode() const { return mode; }
    bool Loading() const { return mode == Mode::Load; }

    // A field that changes as the simulation runs.
    template <class T>
    void Value(T& field)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        if (mode == Mode::Save) {
            const char* bytes = reinterpret_cast<const char*>(&field);
            out.append(bytes, sizeof(T));
            return;
        }
        T read;
        Take(&read, sizeof(T));
        if (mode == Mode::Load)
            field = read;
    }

    // A field that fixes the structure (a count, a kind, a size): saved, and
    // on reading it must equal the simulation's own, or the whole snapshot
    // is refused with `what` saying which part differs.
    template <class T>
    void Fixed(const T& field, const char* what)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        if (mode == Mode::Save) {
            out.append(reinterpret_cast<const char*>(&field), sizeof(T));
            return;
        }
        T read;
        Take(&read, sizeof(T));
        if (std::memcmp(&read, &field, sizeof(T)) != 0)
            throw StateMismatch(std::string("the state belongs to another simulation: ") + what + " differ");
    }

    // A sequence whose length is part of the structure.
    template <class T>
    void Values(std::vector<T>& fields, const char* what)
    {
        Fixed(static_cast<std::uint64_t>(fields.size()), what);
        for (T& field : fields)
            Value(field);
    }

    // A sequence whose length changes as the simulation runs.
    template <class T>
    void Sequence(std::vector<T>& fields)
    {
        std::uint64_t size = fields.size();
        Local(size); // read also when only checking: it says how much to pass over
        if (mode == Mode::Save) {
            for (T& field : fields)
                Value(field);
            return;
        }
        if (size > (in.size() - at) / sizeof(T))
            throw StateMismatch("the state is cut short");
        if (mode == Mode::Check) {
            at += static_cast<std::size_t>(size) * sizeof(T);
            return;
        }
        fields.resize(static_cast<std::size_t>(size));
        for (T& field : fields)
            Value(field);
    }

    // A caller's own copy of fields, read in every mode (also when only
    // checking), so that the caller can judge the values before it takes them.
    template <class T>
    void Local(T& copy)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        if (mode == Mode::Save)
            out.append(reinterpret_cast<const char*>(&copy), sizeof(T));
        else
            Take(&copy, sizeof(T));
    }
    template <class T>
    void LocalSequence(std::vector<T>& copy)
    {
        std::uint64_t size = copy.size();
        Local(size);
        if (mode != Mode::Save) {
            if (size > (in.size() - at) / sizeof(T))
                throw StateMismatch("the state is cut short");
            copy.resize(static_cast<std::size_t>(size));
        }
        for (T& item : copy)
            Local(item);
    }

    // After the last field: reading must have used every byte.
    void Finish() const
    {
        if (mode != Mode::Save && at != in.size())
            throw StateMismatch("the state belongs to another simulation: it is longer");
    }

    // The saved bytes.
    std::string TakeBytes() { return std::move(out); }

private:
    StateArchive(Mode mode_, std::string_view bytes) : mode(mode_), in(bytes) {}

    void Take(void* into, std::size_t size)
    {
        if (in.size() - at < size)
            throw StateMismatch("the state is cut short");
        std::memcpy(into, in.data() + at, size);
        at += size;
    }

    Mode mode;
    std::string out;
    std::string_view in;
    std::size_t at = 0;
};

} // namespace Tarn
