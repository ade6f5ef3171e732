#include "media/Mp4Header.h"

#include <string_view>

namespace Tarn {

namespace {

std::uint64_t BigEndian(const std::vector<std::uint8_t>& text, std::size_t at, std::size_t bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value = value << 8 | text[at + i];
    return value;
}

// One box: its type, where its content starts and where it ends.
struct Box {
    std::string_view type;
    std::size_t content = 0;
    std::size_t end = 0;
};

// The box at `at`, when it lies whole within [at, limit).
std::optional<Box> BoxAt(const std::vector<std::uint8_t>& text, std::size_t at, std::size_t limit)
{
    if (limit > text.size() || limit - at < 8)
        return std::nullopt;
    std::uint64_t size = BigEndian(text, at, 4);
    std::size_t header = 8;
    if (size == 1) {
        if (limit - at < 16)
            return std::nullopt;
        size = BigEndian(text, at + 8, 8);
        header = 16;
    } else if (size == 0) {
        size = limit - at; // to the end of its parent
    }
    if (size < header || size > limit - at)
        return std::nullopt;
    const std::string_view type(reinterpret_cast<const char*>(text.data() + at + 4), 4);
    return Box{type, at + header, at + static_cast<std::size_t>(size)};
}

// Where, in a full box's content after its version and flags, the duration
// of each version sits, and the time scale (0: the movie's), for the boxes
// that hold one. Version 0 fields are 32 bits, version 1 fields 64.
struct DurationLayout {
    std::string_view type;
    std::size_t duration0, duration1;
    std::optional<std::size_t> timescale0, timescale1;
};
constexpr DurationLayout layouts[] = {
    {"mvhd", 12, 20, 8, 16}, // creation, modification, timescale, duration
    {"tkhd", 16, 24, {}, {}}, // creation, modification, track, reserved, duration
    {"mdhd", 12, 20, 8, 16}, // creation, modification, timescale, duration
    {"mehd", 0, 0, {}, {}}, // fragment duration
};

// Collects the duration fields of the boxes within a range, going into the
// boxes that hold them (trak, mdia, mvex).
class Walker {
public:
    explicit Walker(const std::vector<std::uint8_t>& header) : header(header) {}

    // False at anything it cannot read.
    bool Walk(std::size_t from, std::size_t to)
    {
        for (std::size_t at = from; at < to;) {
            const std::optional<Box> box = BoxAt(header, at, to);
            if (!box)
                return false;
            const bool container = box->type == "trak" || box->type == "mdia" || box->type == "mvex";
            if (container ? !Walk(box->content, box->end) : !Field(*box))
                return false;
            at = box->end;
        }
        return true;
    }

    std::vector<Mp4DurationField> fields;

private:
    bool Field(const Box& box)
    {
        for (const DurationLayout& layout : layouts) {
            if (box.type != layout.type)
                continue;
            if (box.end - box.content < 4)
                return false;
            const int version = header[box.content];
            if (version > 1)
                return false;
            const std::size_t base = box.content + 4;
            const std::size_t bytes = version == 0 ? 4 : 8;
            const std::size_t duration = base + (version == 0 ? layout.duration0 : layout.duration1);
            const std::optional<std::size_t> timescale = version == 0 ? layout.timescale0 : layout.timescale1;
            if (duration + bytes > box.end || (timescale && base + *timescale + 4 > box.end))
                return false;
            // The movie header comes first in the moov box: what counts in
            // the movie's time scale finds it set.
            std::uint32_t scale = movieTimescale;
            if (timescale) {
                scale = static_cast<std::uint32_t>(BigEndian(header, base + *timescale, 4));
                if (box.type == "mvhd")
                    movieTimescale = scale;
            }
            if (scale == 0)
                return false;
            fields.push_back({duration, bytes, scale});
        }
        return true;
    }

    const std::vector<std::uint8_t>& header;
    std::uint32_t movieTimescale = 0;
};

} // namespace

std::optional<std::size_t> Mp4HeaderLength(const std::vector<std::uint8_t>& text)
{
    for (std::size_t at = 0; at < text.size();) {
        // A size of 0 reaches to the end of the file, not of the text.
        if (text.size() - at >= 4 && BigEndian(text, at, 4) == 0)
            return std::nullopt;
        const std::optional<Box> box = BoxAt(text, at, text.size());
        if (!box)
            return std::nullopt;
        if (box->type == "moov")
            return box->end;
        if (box->type == "moof" || box->type == "mdat")
            return std::nullopt; // fragments before any movie header
        at = box->end;
    }
    return std::nullopt;
}

std::vector<Mp4DurationField> Mp4DurationFields(const std::vector<std::uint8_t>& header)
{
    const std::optional<std::size_t> length = Mp4HeaderLength(header);
    if (!length)
        return {};
    Walker walker(header);
    for (std::size_t at = 0; at < *length;) {
        const std::optional<Box> box = BoxAt(header, at, *length);
        if (!box || (box->type == "moov" && !walker.Walk(box->content, box->end)))
            return {};
        at = box->end;
    }
    return walker.fields;
}

std::optional<std::vector<std::uint8_t>> Mp4DurationBytes(const Mp4DurationField& field, std::int64_t frames,
                                                          int framesPerSecond)
{
    if (frames < 0 || framesPerSecond <= 0)
        return std::nullopt;
    // frames x timescale / fps to the nearest unit, in whole seconds and the
    // frames left over, so that nothing overflows on the way.
    const auto fps = static_cast<std::uint64_t>(framesPerSecond);
    const std::uint64_t seconds = static_cast<std::uint64_t>(frames) / fps;
    const std::uint64_t rest = static_cast<std::uint64_t>(frames) % fps;
    const std::uint64_t largest = field.bytes == 4 ? 0xffffffffu : ~std::uint64_t{0};
    if (seconds > largest / field.timescale)
        return std::nullopt;
    const std::uint64_t whole = seconds * field.timescale;
    const std::uint64_t part = (rest * field.timescale * 2 + fps) / (2 * fps);
    // All ones means "unknown" in a 32-bit field: a film that long keeps 0.
    if (part >= largest - whole)
        return std::nullopt;
    const std::uint64_t units = whole + part;
    std::vector<std::uint8_t> bytes(field.bytes);
    for (std::size_t i = 0; i < field.bytes; ++i)
        bytes[field.bytes - 1 - i] = static_cast<std::uint8_t>(units >> (8 * i));
    return bytes;
}

} // namespace Tarn
