#include "base/WindowMessages.h"
#include "host/SettingsDialog.h"

#include <gtest/gtest.h>

using namespace Host;
using namespace Tarn;

namespace {

bool KeyDown(SettingsDialog& dialog, std::uint8_t key, bool repeated = false)
{
    return dialog.MsgProc(WindowMessage::KeyDown, key, PackKeyParam(true, repeated, false));
}

}

TEST(SettingsDialog, HiddenAtStart)
{
    Framework framework;
    SettingsDialog dialog(framework);
    EXPECT_FALSE(dialog.IsActive());
}

TEST(SettingsDialog, TakesEveryMessageWhileShown)
{
    Framework framework;
    SettingsDialog dialog(framework);
    dialog.SetActive(true);
    EXPECT_TRUE(KeyDown(dialog, 'W'));
    EXPECT_TRUE(dialog.MsgProc(WindowMessage::MouseMove, 0, PackPointParam(10, 10)));
    EXPECT_TRUE(dialog.MsgProc(WindowMessage::LeftButtonDown, MouseParam::LeftButton, PackPointParam(10, 10)));
    EXPECT_TRUE(dialog.IsActive());
}

TEST(SettingsDialog, F2OrEscapeCloseItButNotTheirRepeats)
{
    Framework framework;
    SettingsDialog dialog(framework);
    dialog.SetActive(true);
    KeyDown(dialog, VirtualKey::F2, true);
    EXPECT_TRUE(dialog.IsActive());
    KeyDown(dialog, VirtualKey::F2);
    EXPECT_FALSE(dialog.IsActive());
    dialog.SetActive(true);
    KeyDown(dialog, VirtualKey::Escape);
    EXPECT_FALSE(dialog.IsActive());
}
