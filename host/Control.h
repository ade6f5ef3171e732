#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace Host {

enum class ControlKind { Static, Button, EditBox, RadioButton, Slider, ListBox, Plot };

// How a static text longer than its rectangle shows: running past it,
// wrapped onto more lines, or as its end after "..." (a folder's path,
// whose last part matters most), the whole text on hovering.
enum class TextFit { RunOn, Wrap, KeepEnd };

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

// One row of a list box: a short kind in a column of its own, then the text.
struct ListItem {
    std::string text;
    std::string kind;
};

// What a plot shows: one bar per value of the first series, or every series
// as a line over the same range; each series in its colour (0xAABBGGRR, as
// Dear ImGui takes it), an optional labelled line across at `marker`, and
// the bars' labels under them.
struct PlotData {
    bool bars = false;
    float minimum = 0.0f;
    float maximum = 1.0f;
    std::vector<std::vector<float>> series{};
    std::vector<std::uint32_t> colors{};
    std::vector<std::string> labels{};
    bool hasMarker = false;
    float marker = 0.0f;
    // Under a line plot: one name a series, each in its series' colour.
    std::vector<std::string> legend{};
};

// One widget of a dialog. Which fields matter depends on the kind: the hot
// key for buttons, group and check for radio buttons, range and value for
// sliders, rows and selection for list boxes; text is the label, or the
// content of an edit box.
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
    // A list box's rows and the width of their kind column; its value is
    // the selected row, -1 for none.
    std::vector<ListItem> items{};
    int kindWidth = 0;
    PlotData plot{};
    TextFit fit = TextFit::RunOn; // a static's
    // A static's colour (0xAABBGGRR); 0: the style's text colour.
    std::uint32_t color = 0;
};

}
