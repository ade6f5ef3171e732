// The key-state table fed with window messages.
#include <gtest/gtest.h>

#include "app/CKeyboard.h"
#include "base/WindowMessages.h"

using namespace Korvale;
using namespace Tarn;

namespace {

void Send(CKeyboard& keyboard, std::uint32_t message, std::uintptr_t key)
{
    keyboard.OnMsg(nullptr, message, key, 0);
}

} // namespace

TEST(CKeyboard, AllKeysUpAtStart)
{
    const CKeyboard keyboard;
    for (unsigned code = 0; code < 256; ++code)
        EXPECT_FALSE(keyboard.IsKeyDown(code)) << code;
}

TEST(CKeyboard, KeyDownThenKeyUp)
{
    CKeyboard keyboard;
    Send(keyboard, WindowMessage::KeyDown, VirtualKey::Up);
    EXPECT_TRUE(keyboard.IsKeyDown(VirtualKey::Up));
    Send(keyboard, WindowMessage::KeyDown, VirtualKey::Up); // auto-repeat: no count
    Send(keyboard, WindowMessage::KeyUp, VirtualKey::Up);
    EXPECT_FALSE(keyboard.IsKeyDown(VirtualKey::Up));
}

TEST(CKeyboard, TwoKeysAreIndependent)
{
    CKeyboard keyboard;
    Send(keyboard, WindowMessage::KeyDown, VirtualKey::Left);
    Send(keyboard, WindowMessage::KeyDown, VirtualKey::W);
    EXPECT_TRUE(keyboard.IsKeyDown(VirtualKey::Left));
    EXPECT_TRUE(keyboard.IsKeyDown(VirtualKey::W));
    Send(keyboard, WindowMessage::KeyUp, VirtualKey::Left);
    EXPECT_FALSE(keyboard.IsKeyDown(VirtualKey::Left));
    EXPECT_TRUE(keyboard.IsKeyDown(VirtualKey::W));
}

TEST(CKeyboard, OnlyTheLowEightBitsOfTheKeyCount)
{
    CKeyboard keyboard;
    Send(keyboard, WindowMessage::KeyDown, 0x1200 | VirtualKey::Right);
    EXPECT_TRUE(keyboard.IsKeyDown(VirtualKey::Right));
    Send(keyboard, WindowMessage::KeyUp, 0x300 | VirtualKey::Right);
    EXPECT_FALSE(keyboard.IsKeyDown(VirtualKey::Right));
}

TEST(CKeyboard, OtherMessagesChangeNothing)
{
    CKeyboard keyboard;
    Send(keyboard, WindowMessage::MouseMove, VirtualKey::Up);
    Send(keyboard, WindowMessage::LeftButtonDown, VirtualKey::Up);
    Send(keyboard, 0x102 /* a character message */, VirtualKey::Up);
    EXPECT_FALSE(keyboard.IsKeyDown(VirtualKey::Up));
    Send(keyboard, WindowMessage::KeyDown, VirtualKey::Up);
    Send(keyboard, WindowMessage::LeftButtonUp, VirtualKey::Up);
    EXPECT_TRUE(keyboard.IsKeyDown(VirtualKey::Up));
}

TEST(CKeyboard, CodesBeyondTheTableAreNeverDown)
{
    const CKeyboard keyboard;
    EXPECT_FALSE(keyboard.IsKeyDown(256));
    EXPECT_FALSE(keyboard.IsKeyDown(~0u));
}
