#include "run/SnapshotFormat.h"

#include <cstdint>
#include <cstring>

#include "base/StateArchive.h"

namespace Korvale::Run {

namespace {

// "KVSTATE" and the format's number: bytes of another kind, or of another
// format, are told apart before anything is read. The second format adds the
// controls of the scene's robots.
constexpr std::uint64_t stateMagic = 0x4b5653544154'4502;
constexpr std::uint64_t swarmStateMagic = 0x4b5653544154'4503;

// FNV-1a over the bytes, eight at a time: a snapshot damaged on its way is
// refused whole.
std::uint64_t Checksum(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        hash ^= word;
        hash *= 0x100000001b3ULL;
    }
    for (; at < bytes.size(); ++at) {
        hash ^= static_cast<unsigned char>(bytes[at]);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

bool ArchiveSnapshotHeader(Tarn::StateArchive& archive, const double& frameTime, bool sceneRobots)
{
    std::uint64_t magic = sceneRobots ? swarmStateMagic : stateMagic;
    archive.Local(magic);
    if (magic != stateMagic && magic != swarmStateMagic)
        throw Tarn::StateMismatch("the state belongs to another simulation: the kinds of snapshot differ");
    archive.Fixed(frameTime, "the frame times");
    return magic == swarmStateMagic;
}

std::string SealSnapshot(std::string payload)
{
    const std::uint64_t sum = Checksum(payload);
    payload.append(reinterpret_cast<const char*>(&sum), sizeof sum);
    return payload;
}

std::string_view OpenSnapshot(std::string_view sealed)
{
    std::uint64_t sum = 0;
    if (sealed.size() < sizeof sum)
        throw Tarn::StateMismatch("the state is cut short");
    const std::string_view payload = sealed.substr(0, sealed.size() - sizeof sum);
    std::memcpy(&sum, sealed.data() + payload.size(), sizeof sum);
    if (sum != Checksum(payload))
        throw Tarn::StateMismatch("the state is damaged: its checksum differs");
    return payload;
}

std::string_view OpenOwnSnapshot(std::string_view sealed)
{
    return sealed.substr(0, sealed.size() - sizeof(std::uint64_t));
}

} // namespace Korvale::Run
