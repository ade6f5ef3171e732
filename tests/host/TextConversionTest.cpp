#include "host/TextConversion.h"

#include <gtest/gtest.h>

using Host::Utf16ToUtf8;
using Host::Utf8ToUtf16;

TEST(TextConversion, AsciiKeepsEveryUnit)
{
    EXPECT_EQ(Utf8ToUtf16("Default.xml"), u"Default.xml");
    EXPECT_EQ(Utf16ToUtf8(u"Ready"), "Ready");
}

TEST(TextConversion, RoundTripsAcrossAllLengths)
{
    const std::string text = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";  // café € and an emoji
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"caf\u00E9 \u20AC \U0001F600");
    EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(TextConversion, MalformedInputBecomesReplacementCharacters)
{
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");          // cut short
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // surrogate
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}
