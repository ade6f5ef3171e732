// Finding the durations in an MP4 header, and the bytes that give a length.
#include "media/Mp4Header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Tarn;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Word(std::uint64_t value, std::size_t bytes)
{
    Bytes out(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        out[bytes - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
    return out;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes BoxOf(const std::string& type, const Bytes& content, bool largeSize = false)
{
    const Bytes name(type.begin(), type.end());
    if (largeSize)
        return Word(1, 4) + name + Word(16 + content.size(), 8) + content;
    return Word(8 + content.size(), 4) + name + content;
}

// A full box's version and flags.
Bytes Version(int version) { return Word(static_cast<std::uint64_t>(version) << 24, 4); }

// ftyp, then a moov with a version-1 movie header (time scale 600), one
// track (a version-0 track header, a version-1 media header of time scale
// 90000) and a fragment duration (version 0), the trak in a 64-bit box.
Bytes Header()
{
    const Bytes mvhd = BoxOf("mvhd", Version(1) + Word(0, 8) + Word(0, 8) + Word(600, 4) + Word(0, 8) + Bytes(80));
    const Bytes tkhd =
        BoxOf("tkhd", Version(0) + Word(0, 4) + Word(0, 4) + Word(1, 4) + Word(0, 4) + Word(0, 4) + Bytes(60));
    const Bytes mdhd = BoxOf("mdhd", Version(1) + Word(0, 8) + Word(0, 8) + Word(90000, 4) + Word(0, 8) + Bytes(4));
    const Bytes trak = BoxOf("trak", tkhd + BoxOf("mdia", mdhd + BoxOf("hdlr", Bytes(25))), true);
    const Bytes mvex = BoxOf("mvex", BoxOf("mehd", Version(0) + Word(0, 4)) + BoxOf("trex", Bytes(24)));
    return BoxOf("ftyp", Bytes(20)) + BoxOf("moov", mvhd + trak + mvex);
}

TEST(Mp4Header, FindsEveryDurationWithItsTimeScaleInBoxesOfEitherVersion)
{
    const Bytes header = Header();
    const std::vector<Mp4DurationField> fields = Mp4DurationFields(header);
    ASSERT_EQ(fields.size(), 4u);
    // After ftyp (28 bytes), the moov's and the mvhd's box headers, the
    // version, two 64-bit times and the time scale.
    EXPECT_EQ(fields[0].offset, 28u + 8 + 8 + 4 + 8 + 8 + 4);
    EXPECT_EQ((std::vector<std::size_t>{fields[0].bytes, fields[1].bytes, fields[2].bytes, fields[3].bytes}),
              (std::vector<std::size_t>{8, 4, 8, 4}));
    EXPECT_EQ((std::vector<std::uint32_t>{fields[0].timescale, fields[1].timescale, fields[2].timescale,
                                          fields[3].timescale}),
              (std::vector<std::uint32_t>{600, 600, 90000, 600}));
    // Each field lies where a duration of 0 was written.
    for (const Mp4DurationField& field : fields)
        for (std::size_t i = 0; i < field.bytes; ++i)
            EXPECT_EQ(header[field.offset + i], 0) << field.offset;
}

TEST(Mp4Header, OnlyAWholeHeaderAtTheStartCounts)
{
    const Bytes header = Header();
    EXPECT_EQ(Mp4HeaderLength(header), header.size());
    // Fragments after it change nothing.
    EXPECT_EQ(Mp4HeaderLength(header + BoxOf("moof", Bytes(40))), header.size());
    // Cut inside the moov, or not an MP4 file at all: nothing to write into.
    EXPECT_EQ(Mp4HeaderLength(Bytes(header.begin(), header.end() - 1)), std::nullopt);
    EXPECT_TRUE(Mp4DurationFields(Bytes(header.begin(), header.end() - 1)).empty());
    const std::string text = "<world width='10' height='10'/>";
    EXPECT_TRUE(Mp4DurationFields(Bytes(text.begin(), text.end())).empty());
    EXPECT_TRUE(Mp4DurationFields(BoxOf("ftyp", Bytes(20)) + BoxOf("mdat", Bytes(8))).empty());
}

TEST(Mp4Header, ALengthIsFramesOverTheRateInTheFieldsUnitsRounded)
{
    const Mp4DurationField movie{0, 4, 1000};
    EXPECT_EQ(Mp4DurationBytes(movie, 45, 15), Word(3000, 4));
    EXPECT_EQ(Mp4DurationBytes(movie, 1, 30), Word(33, 4)); // 33.3 ms
    EXPECT_EQ(Mp4DurationBytes(movie, 2, 30), Word(67, 4)); // 66.7 ms
    EXPECT_EQ(Mp4DurationBytes(Mp4DurationField{0, 8, 15360}, 90, 30), Word(46080, 8));
    // Longer than a 32-bit field holds (49.7 days in milliseconds): it keeps 0.
    EXPECT_EQ(Mp4DurationBytes(movie, std::int64_t{4295000} * 30, 30), std::nullopt);
    EXPECT_EQ(Mp4DurationBytes(Mp4DurationField{0, 8, 1000}, std::int64_t{4295000} * 30, 30),
              Word(std::uint64_t{4295000} * 1000, 8));
}

} // namespace
