#include "io/AttributeValue.h"
#include "io/ParseNumbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <climits>
#include <cstdlib>
#include <initializer_list>
#include <cmath>
#include <limits>
#include <locale>
#include <string>
#include <vector>

namespace {

using Tarn::AttributeToDouble;
using Tarn::AttributeToInt;
using Tarn::ParseNumbers;

struct RealCase {
    const char* text;
    double expected;
};

class RealAttribute : public testing::TestWithParam<RealCase> {};

TEST_P(RealAttribute, ConvertsTheDecimalPrefix)
{
    const double value = AttributeToDouble(GetParam().text);
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_EQ(value, GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    AttributeToDouble, RealAttribute,
    testing::Values(RealCase{"3.5e1", 35.0}, RealCase{" 2.25", 2.25}, RealCase{"\t\n-4", -4.0},
                    RealCase{"7;3", 7.0}, RealCase{"", 0.0}, RealCase{"abc", 0.0}, RealCase{"12abc", 12.0},
                    RealCase{"+.5", 0.5}, RealCase{"5.", 5.0}, RealCase{".", 0.0}, RealCase{"-", 0.0},
                    RealCase{"1e", 1.0}, RealCase{"1e+", 1.0}, RealCase{"2E-1x", 0.2}, RealCase{"1,5", 1.0},
                    RealCase{"nan", 0.0}, RealCase{"NAN", 0.0}, RealCase{"-inf", 0.0},
                    RealCase{"infinity", 0.0}, RealCase{"0x1A", 0.0}, RealCase{"0x1p3", 0.0},
                    RealCase{"1e999", std::numeric_limits<double>::max()},
                    RealCase{"-1e999", -std::numeric_limits<double>::max()},
                    RealCase{"0.0001e-99999999999999", 0.0}, RealCase{"1e-999", 0.0},
                    RealCase{"100000000000000000000000e99999999999", std::numeric_limits<double>::max()}));

TEST(DegreesToRadians, ExactProductForEveryAngleThatFits)
{
    for (const double degrees : {0.0, 90.0, -45.0, 540.0, 1e300, -5.7e307})
        EXPECT_EQ(Tarn::DegreesToRadians(degrees), degrees * 3.141592653589793 / 180) << degrees;
}

TEST(DegreesToRadians, HugeAnglesStayFinite)
{
    for (const double degrees : {1e308, -std::numeric_limits<double>::max()}) {
        const double radians = Tarn::DegreesToRadians(degrees);
        EXPECT_TRUE(std::isfinite(radians)) << degrees;
        EXPECT_LT(std::fabs(radians), 2 * 3.141592653589793) << degrees;
    }
}

struct IntCase {
    const char* text;
    int expected;
};

class IntAttribute : public testing::TestWithParam<IntCase> {};

TEST_P(IntAttribute, ConvertsTheDecimalPrefix)
{
    EXPECT_EQ(AttributeToInt(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(AttributeToInt, IntAttribute,
                         testing::Values(IntCase{"12", 12}, IntCase{" -3x", -3}, IntCase{"+7", 7},
                                         IntCase{"", 0}, IntCase{"x1", 0}, IntCase{"0x10", 0},
                                         IntCase{"4.9", 4}, IntCase{"99999999999999999999", INT_MAX},
                                         IntCase{"-99999999999999999999", INT_MIN},
                                         IntCase{"-2147483648", INT_MIN}));

struct ListCase {
    const char* text;
    std::vector<double> numbers;
    bool ok;
};

class NumberList : public testing::TestWithParam<ListCase> {};

TEST_P(NumberList, ExtractsUntilTheFirstFailure)
{
    std::vector<double> numbers{99.0};
    bool ok = !GetParam().ok;
    const std::size_t count = ParseNumbers(GetParam().text, numbers, ok);
    EXPECT_EQ(count, GetParam().numbers.size());
    EXPECT_EQ(numbers, GetParam().numbers);
    EXPECT_EQ(ok, GetParam().ok);
}

INSTANTIATE_TEST_SUITE_P(
    ParseNumbers, NumberList,
    testing::Values(ListCase{"1 2\n3 ", {1, 2, 3}, true}, ListCase{"1,2", {1}, false}, ListCase{"", {}, true},
                    ListCase{" \t\n ", {}, true}, ListCase{"1 2 a", {1, 2}, false},
                    ListCase{"\n -1.5e1\t+.25\r\n", {-15, 0.25}, true}, ListCase{"nan 1", {}, false},
                    ListCase{"1 inf", {1}, false}, ListCase{"0x10", {0}, false},
                    ListCase{"1e999 2", {}, false}));

// Runs a body with the process locale switched to one with a decimal comma,
// or skips when the machine has none installed.
class DecimalCommaLocale : public testing::Test {
protected:
    void SetUp() override
    {
        if (switchTo({"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"}))
            return;
        if (compileGermanLocale() && switchTo({"de_DE.UTF-8"}))
            return;
        GTEST_SKIP() << "no locale with a decimal comma is installed or can be compiled (tried de_DE and fr_FR)";
    }
    void TearDown() override
    {
        if (switched) {
            std::locale::global(std::locale::classic());
            std::setlocale(LC_ALL, "C");
        }
    }

private:
    bool switchTo(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            if (std::setlocale(LC_ALL, name) == nullptr)
                continue;
            try {
                std::locale::global(std::locale(name));
            } catch (const std::runtime_error&) {
                continue;
            }
            switched = true;
            return true;
        }
        return false;
    }

    // Most machines carry the locale sources (package locales) without the
    // compiled locales: build de_DE into a private folder, which glibc finds
    // through LOCPATH on every setlocale.
    static bool compileGermanLocale()
    {
        const std::string folder = testing::TempDir() + "korvale-locales";
        const std::string command =
            "mkdir -p '" + folder + "' && localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return false;
        return setenv("LOCPATH", folder.c_str(), 1) == 0;
    }

    bool switched = false;
};

TEST_F(DecimalCommaLocale, NumbersStillUseThePoint)
{
    ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));
    EXPECT_EQ(AttributeToDouble("1.5"), 1.5);
    EXPECT_EQ(AttributeToDouble("1,5"), 1.0);
    std::vector<double> numbers;
    bool ok = false;
    EXPECT_EQ(ParseNumbers("1.5 1000.25", numbers, ok), 2u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(numbers, (std::vector<double>{1.5, 1000.25}));
}

// A C++ locale that writes 1.234,5: any stream that takes the global
// locale would misread "1.5". Needs no locale installed on the machine.
class DecimalCommaNumpunct : public std::numpunct<char> {
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(ParseNumbers, IgnoresAGlobalStreamLocaleWithDecimalComma)
{
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new DecimalCommaNumpunct));
    std::vector<double> numbers;
    bool ok = false;
    const std::size_t count = ParseNumbers("1.5 2,5", numbers, ok);
    std::locale::global(previous);
    EXPECT_EQ(count, 2u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(numbers, (std::vector<double>{1.5, 2}));
}

} // namespace
