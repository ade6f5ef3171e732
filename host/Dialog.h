#pragma once
#include "host/Control.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Host {

// Event kinds a dialog reports with the control's id.
enum class DialogEvent {
    ButtonClicked,
    RadioButtonChanged,
    SliderValueChanged,
    EditBoxChanged,
    PageChanged,
    ListItemSelected, // a click on a row (the control's value is the row)
    ListItemActivated, // a double-click on a row, after its ListItemSelected
};

// A panel of widgets at a fixed place of the window, drawn with Dear ImGui.
// Widgets are addressed by id; every user action on one calls the dialog's
// one event handler. Window messages are offered to the dialog first so that
// keys typed into its edit box and clicks on its widgets stay with it.
class Dialog {
public:
    using EventHandler = std::function<void(DialogEvent event, int controlId, Dialog& dialog)>;

    explicit Dialog(std::string name);

    void SetEventHandler(EventHandler handler) { eventHandler = std::move(handler); }
    void SetLocation(int x, int y);
    void SetSize(int width, int height);
    int X() const { return x; }
    int Y() const { return y; }
    int Width() const { return width; }
    int Height() const { return height; }

    void AddStatic(int id, std::string text, ControlRect rect, TextFit fit = TextFit::RunOn);
    void AddButton(int id, std::string text, ControlRect rect, int hotKey = 0);
    void AddEditBox(int id, std::string text, ControlRect rect);
    void AddRadioButton(int id, int group, std::string text, ControlRect rect, bool checked = false);
    void AddSlider(int id, ControlRect rect, int minimum = 0, int maximum = 100, int value = 50);
    // Rows that scroll inside the rectangle; `kindWidth` pixels on the left
    // of each row hold its kind.
    void AddListBox(int id, ControlRect rect, int kindWidth = 0);
    // New rows; no row is selected afterwards.
    void SetListItems(int id, std::vector<ListItem> items);
    // A plot (Dear ImGui's histogram and line plots); its data is set anew
    // every frame it shows something that changes.
    void AddPlot(int id, ControlRect rect);
    void SetPlot(int id, PlotData data);
    // Draws a background behind the widgets: for a panel over the world view.
    void SetBackground(bool on) { background = on; }

    // Pages: a row of tabs in `tabs` (set once, with the first page), one per
    // page from two pages on, and the widgets of the page whose tab is selected. Widgets added
    // after AddPage belong to that page; those added before any page show on
    // every page. The first page starts selected. A page the user selects is
    // reported as PageChanged with the page's id.
    void AddPage(int id, std::string title, ControlRect tabs = {});
    void SelectPage(int id);
    int SelectedPage() const { return selectedPage; }
    bool IsShown(const Control& control) const { return control.page == 0 || control.page == selectedPage; }

    Control* GetControl(int id);
    const Control* GetControl(int id) const;
    const std::vector<Control>& Controls() const { return controls; }

    // Checks a radio button as the program does, not as user input: the
    // others of its group are cleared and no event is sent.
    void SetRadioButtonChecked(int id);
    bool IsChecked(int id) const;
    void SetSliderValue(int id, int value);
    int GetSliderValue(int id) const;
    std::string GetText(int id) const;
    void SetText(int id, std::string text);
    // A static's text colour (0xAABBGGRR; 0 for the style's).
    void SetColor(int id, std::uint32_t color);

    // True when the message is the dialog's: a key while its edit box holds
    // the keyboard, a hot key, or the mouse over (or captured by) a widget.
    bool MsgProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    // Draws the widgets into the current Dear ImGui frame and sends the
    // events of this frame's clicks and edits after the drawing.
    void OnRender(float elapsedSeconds);

    // Lets the user's click on a widget act as Dear ImGui would: for tests of
    // the event logic without a frame.
    void Click(int id);
    // The same for a click, or a double-click, on a list box's row.
    void ClickListItem(int id, int row, bool doubleClick = false);

private:
    Control& Add(Control control);
    bool OverControl(int px, int py) const;
    void RenderPageTabs(std::vector<std::pair<DialogEvent, int>>& events);
    bool EditBoxFocused() const;
    void Send(DialogEvent event, int id);
    void RenderControl(Control& control, std::vector<std::pair<DialogEvent, int>>& events);
    void RenderStatic(const Control& control);

    std::string name;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::vector<Control> controls;
    struct Page {
        int id = 0;
        std::string title;
    };
    std::vector<Page> pages;
    ControlRect pageTabs;
    int selectedPage = 0;
    int currentPage = 0; // the page new widgets join
    bool background = false;
    EventHandler eventHandler;
    bool mouseCaptured = false;
};

}
