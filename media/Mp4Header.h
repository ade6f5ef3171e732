#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Tarn {

// An MP4 file's header: its boxes before the first fragment (ftyp, moov). A
// film written in fragments starts with a header that cannot know how long
// the film will be, so its durations say 0; players that read only the header
// show no length. Once the film is finished, its durations are written in.
//
// One place in the header that holds a duration: in the movie header (mvhd),
// a track header (tkhd) or the fragment duration (mehd), counted in the
// movie's time scale, or in a track's media header (mdhd), counted in that
// track's own.
struct Mp4DurationField {
    std::size_t offset = 0; // of the field in the file
    std::size_t bytes = 0; // 4 or 8, big-endian
    std::uint32_t timescale = 0; // units per second
};

// The header's length: where its moov box ends, when the text (the file's
// first bytes) holds that much of a file that begins with boxes before it;
// nothing otherwise (not an MP4 file, or the moov not within the text).
std::optional<std::size_t> Mp4HeaderLength(const std::vector<std::uint8_t>& text);

// Every duration field of the header; empty when it is not a header this
// understands.
std::vector<Mp4DurationField> Mp4DurationFields(const std::vector<std::uint8_t>& header);

// The field's bytes for a film of `frames` frames at `framesPerSecond`,
// rounded to the nearest unit; nothing when the value does not fit.
std::optional<std::vector<std::uint8_t>> Mp4DurationBytes(const Mp4DurationField& field, std::int64_t frames,
                                                          int framesPerSecond);

} // namespace Tarn
