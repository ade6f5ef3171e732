#include "host/KeyTranslation.h"

#include <gtest/gtest.h>

using Host::VirtualKeyFromSdl;

TEST(KeyTranslation, LettersAreUpperCaseCodes)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a), 65);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_w), 87);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_s), 83);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_d), 68);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_q), 81);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_e), 69);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z), 90);
}

TEST(KeyTranslation, DigitsAndFunctionKeys)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0), 48);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9), 57);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1), 112);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F2), 113);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F3), 114);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12), 123);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F13), 124);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F24), 135);
}

TEST(KeyTranslation, ArrowsAndEditingKeys)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT), 37);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UP), 38);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RIGHT), 39);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN), 40);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE), 27);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN), 13);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER), 13);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKSPACE), 8);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DELETE), 46);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_HOME), 36);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_END), 35);
}

TEST(KeyTranslation, BothSidesOfAModifierShareOneCode)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LSHIFT), VirtualKeyFromSdl(SDLK_RSHIFT));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LCTRL), 17);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RALT), 18);
}

TEST(KeyTranslation, KeypadDigitsAreContiguous)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0), 96);
    for (int k = 1; k <= 9; ++k)
        EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_1 + k - 1), 96 + k);
}

TEST(KeyTranslation, KeysWithoutCodeGiveZero)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN), 0);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_AUDIOPLAY), 0);
}

TEST(KeyTranslation, ThePlusKeyOfAnyLayoutIsTheOneOfEqualsAndPlus)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PLUS), VirtualKeyFromSdl(SDLK_EQUALS));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_PLUS), 0x6B);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_MINUS), 0xBD);
}
