#include "host/Dialog.h"
#include "base/WindowMessages.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Host;
using namespace Tarn;

namespace {

struct Recorded {
    DialogEvent event;
    int id;
};

class DialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        dialog.SetLocation(470, 80);
        dialog.SetSize(170, 240);
        dialog.SetEventHandler([this](DialogEvent event, int id, Dialog&) { events.push_back({event, id}); });
        dialog.AddStatic(10, "File Name:", {35, 34, 125, 22});
        dialog.AddEditBox(15, "Default.xml", {35, 58, 125, 32});
        dialog.AddButton(3, "Change device (F2)", {35, 102, 125, 22}, VirtualKey::F2);
        dialog.AddRadioButton(35, 2, "Keyboard", {35, 174, 125, 22});
        dialog.AddRadioButton(40, 2, "Neural Network", {35, 198, 125, 22});
        dialog.AddRadioButton(45, 1, "No Target", {35, 222, 125, 22});
        dialog.AddRadioButton(50, 1, "Robot Target", {35, 246, 125, 22});
        dialog.AddSlider(55, {50, 294, 100, 22}, 0, 100, 50);
    }

    bool Key(std::uint32_t message, std::uint8_t key, bool repeated = false, bool alt = false)
    {
        return dialog.MsgProc(message, key, PackKeyParam(message == WindowMessage::KeyDown, repeated, alt));
    }

    bool Mouse(std::uint32_t message, int x, int y) { return dialog.MsgProc(message, 0, PackPointParam(x, y)); }

    Dialog dialog{"test"};
    std::vector<Recorded> events;
};

}

TEST_F(DialogTest, ProgrammaticCheckClearsOnlyItsGroupAndSendsNothing)
{
    dialog.SetRadioButtonChecked(35);
    dialog.SetRadioButtonChecked(45);
    dialog.SetRadioButtonChecked(50);
    EXPECT_TRUE(dialog.IsChecked(35));
    EXPECT_FALSE(dialog.IsChecked(45));
    EXPECT_TRUE(dialog.IsChecked(50));
    EXPECT_TRUE(events.empty());
}

TEST_F(DialogTest, ClickedRadioButtonChecksAndReports)
{
    dialog.SetRadioButtonChecked(35);
    dialog.Click(40);
    EXPECT_FALSE(dialog.IsChecked(35));
    EXPECT_TRUE(dialog.IsChecked(40));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].event, DialogEvent::RadioButtonChanged);
    EXPECT_EQ(events[0].id, 40);
}

TEST_F(DialogTest, NoRadioButtonStartsChecked)
{
    for (int id : {35, 40, 45, 50})
        EXPECT_FALSE(dialog.IsChecked(id));
}

TEST_F(DialogTest, HotKeyPressSendsOneEventAndRepeatsAreSwallowed)
{
    EXPECT_TRUE(Key(WindowMessage::KeyDown, VirtualKey::F2));
    EXPECT_TRUE(Key(WindowMessage::KeyDown, VirtualKey::F2, true));
    EXPECT_TRUE(Key(WindowMessage::KeyDown, VirtualKey::F2, true));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].id, 3);
    // The release is not the dialog's.
    EXPECT_FALSE(Key(WindowMessage::KeyUp, VirtualKey::F2));
}

TEST_F(DialogTest, KeysPassWhileNoEditBoxHasFocus)
{
    EXPECT_FALSE(Key(WindowMessage::KeyDown, 0x26));
    EXPECT_FALSE(Key(WindowMessage::KeyDown, 'W'));
    EXPECT_FALSE(Key(WindowMessage::KeyUp, 'W'));
}

TEST_F(DialogTest, FocusedEditBoxTakesTypingButNotWindowKeys)
{
    dialog.GetControl(15)->focused = true;
    EXPECT_TRUE(Key(WindowMessage::KeyDown, 'W'));
    EXPECT_TRUE(Key(WindowMessage::KeyUp, 'W'));
    EXPECT_TRUE(Key(WindowMessage::KeyDown, 0x26));
    EXPECT_TRUE(Key(WindowMessage::KeyDown, 0x0D));
    EXPECT_FALSE(Key(WindowMessage::KeyDown, VirtualKey::F1));
    EXPECT_FALSE(Key(WindowMessage::KeyDown, VirtualKey::Escape));
    EXPECT_FALSE(Key(WindowMessage::KeyDown, 0x0D, false, true));  // Alt+Enter
    // A hot key still works while typing.
    EXPECT_TRUE(Key(WindowMessage::KeyDown, VirtualKey::F2));
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(DialogTest, PressesOnAWidgetAreTheDialogsHoveringIsNot)
{
    // Dialog at (470, 80): "Keyboard" spans x 505..629, y 254..275.
    EXPECT_TRUE(Mouse(WindowMessage::LeftButtonDown, 505, 254));
    EXPECT_TRUE(Mouse(WindowMessage::LeftButtonUp, 505, 254));
    EXPECT_TRUE(Mouse(WindowMessage::LeftButtonDown, 629, 275));
    EXPECT_TRUE(Mouse(WindowMessage::LeftButtonUp, 629, 275));
    EXPECT_FALSE(Mouse(WindowMessage::LeftButtonDown, 504, 254));
    EXPECT_FALSE(Mouse(WindowMessage::LeftButtonDown, 630, 254));
    EXPECT_FALSE(Mouse(WindowMessage::LeftButtonDown, 100, 100));
    // The mouse tracker must learn that the pointer left the world view.
    EXPECT_FALSE(Mouse(WindowMessage::MouseMove, 505, 254));
    EXPECT_FALSE(Mouse(WindowMessage::MouseMove, 629, 275));
}

TEST_F(DialogTest, PressOnAWidgetKeepsTheMouseUntilRelease)
{
    EXPECT_TRUE(Mouse(WindowMessage::LeftButtonDown, 540, 80 + 300));  // on the slider
    EXPECT_TRUE(Mouse(WindowMessage::MouseMove, 10, 10));
    EXPECT_TRUE(Mouse(WindowMessage::LeftButtonUp, 10, 10));
    EXPECT_FALSE(Mouse(WindowMessage::MouseMove, 10, 10));
}

TEST_F(DialogTest, SliderValueStaysInRange)
{
    dialog.SetSliderValue(55, 150);
    EXPECT_EQ(dialog.GetSliderValue(55), 100);
    dialog.SetSliderValue(55, -3);
    EXPECT_EQ(dialog.GetSliderValue(55), 0);
}

TEST_F(DialogTest, EditBoxKeepsItsText)
{
    EXPECT_EQ(dialog.GetText(15), "Default.xml");
    dialog.SetText(15, "examples/Open.xml");
    EXPECT_EQ(dialog.GetText(15), "examples/Open.xml");
    EXPECT_EQ(dialog.GetText(999), "");
}

TEST(DialogPages, OnlyTheSelectedPagesWidgetsAndThoseOfEveryPageTakeTheMouse)
{
    Dialog dialog{"pages"};
    std::vector<int> clicked;
    dialog.SetEventHandler([&](DialogEvent, int id, Dialog&) { clicked.push_back(id); });
    dialog.AddButton(1, "Everywhere", {0, 0, 50, 20});
    dialog.AddPage(100, "Main", {0, 30, 100, 20});
    dialog.AddButton(2, "Main's", {0, 60, 50, 20});
    dialog.AddEditBox(3, "name", {0, 90, 50, 20});
    dialog.AddPage(101, "Files");
    dialog.AddButton(4, "Files'", {0, 60, 50, 20});
    EXPECT_EQ(dialog.SelectedPage(), 100);
    EXPECT_EQ(dialog.GetControl(2)->page, 100);
    EXPECT_EQ(dialog.GetControl(4)->page, 101);
    EXPECT_TRUE(dialog.IsShown(*dialog.GetControl(1)));
    EXPECT_FALSE(dialog.IsShown(*dialog.GetControl(4)));

    const auto press = [&](int x, int y) {
        const bool taken = dialog.MsgProc(WindowMessage::LeftButtonDown, 0, PackPointParam(x, y));
        dialog.MsgProc(WindowMessage::LeftButtonUp, 0, PackPointParam(x, y));
        return taken;
    };
    EXPECT_TRUE(press(10, 35)) << "the tabs";
    EXPECT_TRUE(press(10, 95));
    dialog.SelectPage(101);
    EXPECT_EQ(dialog.SelectedPage(), 101);
    EXPECT_TRUE(press(10, 65)) << "the Files page's button";
    EXPECT_FALSE(press(10, 95)) << "the Main page's edit box is hidden";
    EXPECT_TRUE(press(10, 5));

    // A hidden edit box that held the keyboard no longer takes keys.
    dialog.GetControl(3)->focused = true;
    EXPECT_FALSE(dialog.MsgProc(WindowMessage::KeyDown, 'W', PackKeyParam(true, false, false)));
    dialog.SelectPage(999); // no such page: nothing changes
    EXPECT_EQ(dialog.SelectedPage(), 101);
    EXPECT_TRUE(clicked.empty());
}

TEST(DialogListBox, AClickSelectsARowADoubleClickAlsoActivatesItAndNewRowsClearTheSelection)
{
    Dialog dialog{"list"};
    std::vector<Recorded> events;
    dialog.SetEventHandler([&](DialogEvent event, int id, Dialog&) { events.push_back({event, id}); });
    dialog.AddListBox(90, {0, 0, 160, 100}, 50);
    dialog.SetListItems(90, {{"../", ""}, {"Robot.xml", "robot"}});
    EXPECT_EQ(dialog.GetControl(90)->value, -1);
    dialog.ClickListItem(90, 1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].event, DialogEvent::ListItemSelected);
    EXPECT_EQ(dialog.GetControl(90)->value, 1);
    dialog.ClickListItem(90, 0, true);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].event, DialogEvent::ListItemSelected);
    EXPECT_EQ(events[2].event, DialogEvent::ListItemActivated);
    dialog.ClickListItem(90, 2); // no such row
    EXPECT_EQ(events.size(), 3u);
    dialog.SetListItems(90, {{"a.log", "log"}});
    EXPECT_EQ(dialog.GetControl(90)->value, -1);
    // The wheel over the list scrolls it; elsewhere it is not the dialog's.
    EXPECT_TRUE(dialog.MsgProc(WindowMessage::MouseWheel, PackWheelParam(1), PackPointParam(20, 20)));
    EXPECT_FALSE(dialog.MsgProc(WindowMessage::MouseWheel, PackWheelParam(1), PackPointParam(200, 20)));
}
