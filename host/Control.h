#pragma once
#include <string>

namespace Host {

enum class ControlKind { Static, Button, EditBox, RadioButton, Slider };

// A widget's rectangle in pixels, relative to its dialog.
struct ControlRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Contains(int px, int py) const
    {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
};

// One widget of a dialog. Which fields matter depends on the kind: the hot
// key for buttons, group and check for radio buttons, range and value for
// sliders; text is the label, or the content of an edit box.
struct Control {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::string text;
    ControlRect rect;
    int hotKey = 0;
    int group = 0;
    bool checked = false;
    int minimum = 0;
    int maximum = 100;
    int value = 0;
    // The edit box holds the keyboard (as of the last frame drawn).
    bool focused = false;
    // The dialog's page the widget shows on; 0: every page.
    int page = 0;
};

}
