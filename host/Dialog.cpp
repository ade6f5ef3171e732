#include "host/Dialog.h"

#include "base/WindowMessages.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>

namespace Host {

Dialog::Dialog(std::string name) : name(std::move(name)) {}

void Dialog::SetLocation(int newX, int newY)
{
    x = newX;
    y = newY;
}

void Dialog::SetSize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
}

Control& Dialog::Add(Control control)
{
    control.page = currentPage;
    controls.push_back(std::move(control));
    return controls.back();
}

void Dialog::AddStatic(int id, std::string text, ControlRect rect, TextFit fit)
{
    Add({.id = id, .kind = ControlKind::Static, .text = std::move(text), .rect = rect}).fit = fit;
}

void Dialog::AddButton(int id, std::string text, ControlRect rect, int hotKey)
{
    Add({.id = id, .kind = ControlKind::Button, .text = std::move(text), .rect = rect, .hotKey = hotKey});
}

void Dialog::AddEditBox(int id, std::string text, ControlRect rect)
{
    Add({.id = id, .kind = ControlKind::EditBox, .text = std::move(text), .rect = rect});
}

void Dialog::AddRadioButton(int id, int group, std::string text, ControlRect rect, bool checked)
{
    Add({.id = id, .kind = ControlKind::RadioButton, .text = std::move(text), .rect = rect, .group = group});
    if (checked)
        SetRadioButtonChecked(id);
}

void Dialog::AddSlider(int id, ControlRect rect, int minimum, int maximum, int value)
{
    Add({.id = id,
         .kind = ControlKind::Slider,
         .text = {},
         .rect = rect,
         .minimum = minimum,
         .maximum = std::max(minimum, maximum),
         .value = std::clamp(value, minimum, std::max(minimum, maximum))});
}

void Dialog::AddListBox(int id, ControlRect rect, int kindWidth)
{
    Control& list = Add({.id = id, .kind = ControlKind::ListBox, .text = {}, .rect = rect, .value = -1});
    list.kindWidth = kindWidth;
}

void Dialog::SetListItems(int id, std::vector<ListItem> items)
{
    if (Control* control = GetControl(id); control && control->kind == ControlKind::ListBox) {
        control->items = std::move(items);
        control->value = -1;
    }
}

void Dialog::AddPlot(int id, ControlRect rect) { Add({.id = id, .kind = ControlKind::Plot, .text = {}, .rect = rect}); }

void Dialog::SetPlot(int id, PlotData data)
{
    if (Control* control = GetControl(id); control && control->kind == ControlKind::Plot)
        control->plot = std::move(data);
}

void Dialog::AddPage(int id, std::string title, ControlRect tabs)
{
    if (pages.empty()) {
        pageTabs = tabs;
        selectedPage = id;
    }
    pages.push_back({id, std::move(title)});
    currentPage = id;
}

void Dialog::SelectPage(int id)
{
    for (const Page& page : pages)
        if (page.id == id)
            selectedPage = id;
}

Control* Dialog::GetControl(int id)
{
    auto found = std::find_if(controls.begin(), controls.end(), [id](const Control& c) { return c.id == id; });
    return found == controls.end() ? nullptr : &*found;
}

const Control* Dialog::GetControl(int id) const
{
    return const_cast<Dialog*>(this)->GetControl(id);
}

void Dialog::SetRadioButtonChecked(int id)
{
    Control* target = GetControl(id);
    if (!target || target->kind != ControlKind::RadioButton)
        return;
    for (Control& control : controls)
        if (control.kind == ControlKind::RadioButton && control.group == target->group)
            control.checked = false;
    target->checked = true;
}

bool Dialog::IsChecked(int id) const
{
    const Control* control = GetControl(id);
    return control && control->checked;
}

void Dialog::SetSliderValue(int id, int value)
{
    if (Control* control = GetControl(id); control && control->kind == ControlKind::Slider)
        control->value = std::clamp(value, control->minimum, control->maximum);
}

int Dialog::GetSliderValue(int id) const
{
    const Control* control = GetControl(id);
    return control ? control->value : 0;
}

std::string Dialog::GetText(int id) const
{
    const Control* control = GetControl(id);
    return control ? control->text : std::string();
}

void Dialog::SetText(int id, std::string text)
{
    if (Control* control = GetControl(id))
        control->text = std::move(text);
}

void Dialog::SetColor(int id, std::uint32_t color)
{
    if (Control* control = GetControl(id))
        control->color = color;
}

bool Dialog::OverControl(int px, int py) const
{
    if (pages.size() > 1 && pageTabs.Contains(px - x, py - y))
        return true;
    return std::any_of(controls.begin(), controls.end(),
                       [&](const Control& c) { return IsShown(c) && c.rect.Contains(px - x, py - y); });
}

bool Dialog::EditBoxFocused() const
{
    return std::any_of(controls.begin(), controls.end(),
                       [this](const Control& c) { return IsShown(c) && c.kind == ControlKind::EditBox && c.focused; });
}

bool Dialog::MsgProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case Tarn::WindowMessage::KeyDown:
    case Tarn::WindowMessage::KeyUp: {
        const auto key = static_cast<int>(wParam & 0xFF);
        // A focused edit box takes the keys of typing and moving in the text;
        // function keys, ESC and Alt chords stay the window's.
        const bool functionKey = key >= Tarn::VirtualKey::F1 && key <= Tarn::VirtualKey::F24;
        if (EditBoxFocused() && !functionKey && key != Tarn::VirtualKey::Escape && !Tarn::IsAltHeld(lParam))
            return true;
        if (message == Tarn::WindowMessage::KeyDown) {
            for (const Control& control : controls) {
                if (control.kind == ControlKind::Button && control.hotKey != 0 && control.hotKey == key) {
                    // A held hot key repeats its key-down; only the press acts.
                    if (!Tarn::IsRepeatedKeyDown(lParam))
                        Send(DialogEvent::ButtonClicked, control.id);
                    return true;
                }
            }
        }
        return false;
    }
    case Tarn::WindowMessage::LeftButtonDown:
    case Tarn::WindowMessage::RightButtonDown:
    case Tarn::WindowMessage::MiddleButtonDown:
        if (OverControl(Tarn::PointParamX(lParam), Tarn::PointParamY(lParam))) {
            mouseCaptured = true;
            return true;
        }
        return false;
    case Tarn::WindowMessage::LeftButtonUp:
    case Tarn::WindowMessage::RightButtonUp:
    case Tarn::WindowMessage::MiddleButtonUp:
        if (mouseCaptured) {
            mouseCaptured = false;
            return true;
        }
        return OverControl(Tarn::PointParamX(lParam), Tarn::PointParamY(lParam));
    case Tarn::WindowMessage::MouseWheel:
        // A list under the pointer scrolls; the world view does not zoom.
        return OverControl(Tarn::PointParamX(lParam), Tarn::PointParamY(lParam));
    case Tarn::WindowMessage::MouseMove:
        // Hovering over a widget is not taken: the pointer has left the world
        // view, and the mouse tracker must see that so the hover coordinates
        // stop. Only a drag that began on a widget belongs to the dialog.
        return mouseCaptured;
    default:
        return false;
    }
}

void Dialog::Send(DialogEvent event, int id)
{
    if (eventHandler)
        eventHandler(event, id, *this);
}

void Dialog::Click(int id)
{
    Control* control = GetControl(id);
    if (!control)
        return;
    switch (control->kind) {
    case ControlKind::Button:
        Send(DialogEvent::ButtonClicked, id);
        break;
    case ControlKind::RadioButton:
        SetRadioButtonChecked(id);
        Send(DialogEvent::RadioButtonChanged, id);
        break;
    default:
        break;
    }
}

void Dialog::ClickListItem(int id, int row, bool doubleClick)
{
    Control* control = GetControl(id);
    if (!control || control->kind != ControlKind::ListBox || row < 0 || row >= static_cast<int>(control->items.size()))
        return;
    control->value = row;
    Send(DialogEvent::ListItemSelected, id);
    if (doubleClick)
        Send(DialogEvent::ListItemActivated, id);
}

namespace {

// The text in lines no wider than `width` in the current font, broken
// between characters (never inside one), after a "-", "_", "." or blank
// where one comes in the second half of a line.
std::vector<std::string> BreakToWidth(const std::string& text, float width)
{
    // Most names fit: one measure each frame and row.
    if (ImGui::CalcTextSize(text.c_str()).x <= width)
        return {text};
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        float used = 0.0f; // characters are measured one at a time: the font does not kern
        while (end < text.size()) {
            std::size_t next = end + 1;
            while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
                ++next; // the rest of a UTF-8 sequence
            const float advance = ImGui::CalcTextSize(text.c_str() + end, text.c_str() + next).x;
            if (used + advance > width && end > start)
                break;
            used += advance;
            end = next;
        }
        if (end < text.size()) {
            const std::size_t breakAt = text.find_last_of("-_. ", end - 1);
            if (breakAt != std::string::npos && breakAt >= start + (end - start) / 2)
                end = breakAt + 1;
        }
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    if (lines.empty())
        lines.emplace_back();
    return lines;
}

// The plot's series over each other in one frame; bars for the first series
// only. Dear ImGui's plots have one series and one colour each.
void RenderPlot(const PlotData& plot, const ControlRect& r)
{
    const ImVec2 size(static_cast<float>(r.width), static_cast<float>(r.height));
    ImGui::SetCursorPos(ImVec2(static_cast<float>(r.x), static_cast<float>(r.y)));
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const std::size_t shown = plot.bars ? std::min<std::size_t>(plot.series.size(), 1) : plot.series.size();
    if (shown == 0) {
        ImGui::PlotLines("##empty", static_cast<const float*>(nullptr), 0, 0, nullptr, plot.minimum, plot.maximum,
                         size);
    }
    for (std::size_t i = 0; i < shown; ++i) {
        const std::vector<float>& values = plot.series[i];
        const ImGuiCol colorSlot = plot.bars ? ImGuiCol_PlotHistogram : ImGuiCol_PlotLines;
        int pushed = 0;
        if (i < plot.colors.size()) {
            ImGui::PushStyleColor(colorSlot, plot.colors[i]);
            ++pushed;
        }
        if (i > 0) {
            ImGui::PushStyleColor(ImGuiCol_FrameBg, IM_COL32(0, 0, 0, 0));
            ++pushed;
        }
        ImGui::SetCursorScreenPos(origin);
        ImGui::PushID(static_cast<int>(i));
        if (plot.bars)
            ImGui::PlotHistogram("##bars", values.data(), static_cast<int>(values.size()), 0, nullptr, plot.minimum,
                                 plot.maximum, size);
        else
            ImGui::PlotLines("##lines", values.data(), static_cast<int>(values.size()), 0, nullptr, plot.minimum,
                             plot.maximum, size);
        ImGui::PopID();
        ImGui::PopStyleColor(pushed);
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const float padding = ImGui::GetStyle().FramePadding.y;
    if (plot.hasMarker && plot.maximum > plot.minimum) {
        const float top = origin.y + padding;
        const float height = size.y - 2 * padding;
        const float y = top + height * (1.0f - (plot.marker - plot.minimum) / (plot.maximum - plot.minimum));
        draw->AddLine(ImVec2(origin.x, y), ImVec2(origin.x + size.x, y), IM_COL32(255, 255, 255, 160), 1.0f);
    }
    if (!plot.bars && !plot.legend.empty()) {
        float left = origin.x;
        for (std::size_t i = 0; i < plot.legend.size(); ++i) {
            const char* name = plot.legend[i].c_str();
            const std::uint32_t color = i < plot.colors.size() ? plot.colors[i] : ImGui::GetColorU32(ImGuiCol_Text);
            draw->AddText(ImVec2(left, origin.y + size.y + 1), color, name);
            left += ImGui::CalcTextSize(name).x + ImGui::CalcTextSize(" ").x;
        }
    }
    if (plot.bars && !plot.labels.empty()) {
        const float step = size.x / static_cast<float>(plot.labels.size());
        for (std::size_t i = 0; i < plot.labels.size(); ++i) {
            const char* label = plot.labels[i].c_str();
            const float width = ImGui::CalcTextSize(label).x;
            draw->AddText(
                ImVec2(origin.x + step * (static_cast<float>(i) + 0.5f) - width * 0.5f, origin.y + size.y + 1),
                ImGui::GetColorU32(ImGuiCol_Text), label);
        }
    }
}

}

void Dialog::RenderStatic(const Control& control)
{
    const ControlRect& r = control.rect;
    const float fontSize = ImGui::GetFontSize();
    const float width = static_cast<float>(r.width);
    if (control.color != 0)
        ImGui::PushStyleColor(ImGuiCol_Text, control.color);
    if (control.fit == TextFit::Wrap) {
        ImGui::SetCursorPos(ImVec2(static_cast<float>(r.x), static_cast<float>(r.y)));
        ImGui::PushTextWrapPos(static_cast<float>(r.x) + width);
        ImGui::TextUnformatted(control.text.c_str());
        ImGui::PopTextWrapPos();
    } else {
        std::string shown = control.text;
        if (control.fit == TextFit::KeepEnd && ImGui::CalcTextSize(shown.c_str()).x > width) {
            // Characters go from the front until "..." and the rest fit.
            std::size_t cut = 0;
            while (cut < control.text.size()
                   && ImGui::CalcTextSize(("..." + control.text.substr(cut)).c_str()).x > width) {
                ++cut;
                while (cut < control.text.size() && (static_cast<unsigned char>(control.text[cut]) & 0xC0) == 0x80)
                    ++cut;
            }
            shown = "..." + control.text.substr(cut);
        }
        ImGui::SetCursorPos(ImVec2(static_cast<float>(r.x), r.y + (r.height - fontSize) * 0.5f));
        ImGui::TextUnformatted(shown.c_str());
        if (shown != control.text && ImGui::IsItemHovered())
            ImGui::SetTooltip("%s", control.text.c_str());
    }
    if (control.color != 0)
        ImGui::PopStyleColor();
}

void Dialog::RenderControl(Control& control, std::vector<std::pair<DialogEvent, int>>& events)
{
    const ControlRect& r = control.rect;
    const float fontSize = ImGui::GetFontSize();
    // Frame padding that makes a framed widget exactly the rectangle's height.
    const float padY = std::max(0.0f, (static_cast<float>(r.height) - fontSize) * 0.5f);
    const ImVec2 size(static_cast<float>(r.width), static_cast<float>(r.height));

    ImGui::PushID(control.id);
    switch (control.kind) {
    case ControlKind::Static: RenderStatic(control); break;
    case ControlKind::Button:
        ImGui::SetCursorPos(ImVec2(static_cast<float>(r.x), static_cast<float>(r.y)));
        if (ImGui::Button(control.text.c_str(), size))
            events.emplace_back(DialogEvent::ButtonClicked, control.id);
        break;
    case ControlKind::EditBox:
        ImGui::SetCursorPos(ImVec2(static_cast<float>(r.x), static_cast<float>(r.y)));
        ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(6.0f, padY));
        ImGui::SetNextItemWidth(size.x);
        // The first click selects the whole name, so that typing replaces it.
        if (ImGui::InputText("##edit", &control.text, ImGuiInputTextFlags_AutoSelectAll))
            events.emplace_back(DialogEvent::EditBoxChanged, control.id);
        control.focused = ImGui::IsItemActive();
        ImGui::PopStyleVar();
        break;
    case ControlKind::RadioButton: {
        const float frame = ImGui::GetFrameHeight();
        ImGui::SetCursorPos(ImVec2(static_cast<float>(r.x), r.y + (r.height - frame) * 0.5f));
        if (ImGui::RadioButton(control.text.c_str(), control.checked)) {
            SetRadioButtonChecked(control.id);
            events.emplace_back(DialogEvent::RadioButtonChanged, control.id);
        }
        break;
    }
    case ControlKind::Slider: {
        ImGui::SetCursorPos(ImVec2(static_cast<float>(r.x), static_cast<float>(r.y)));
        ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(4.0f, padY));
        ImGui::SetNextItemWidth(size.x);
        int value = control.value;
        if (ImGui::SliderInt("##slider", &value, control.minimum, control.maximum, "", ImGuiSliderFlags_AlwaysClamp)
            && value != control.value) {
            control.value = value;
            events.emplace_back(DialogEvent::SliderValueChanged, control.id);
        }
        ImGui::PopStyleVar();
        break;
    }
    case ControlKind::Plot: RenderPlot(control.plot, r); break;
    case ControlKind::ListBox:
        ImGui::SetCursorPos(ImVec2(static_cast<float>(r.x), static_cast<float>(r.y)));
        if (ImGui::BeginListBox("##list", size)) {
            const float kindWidth = static_cast<float>(control.kindWidth);
            for (int row = 0; row < static_cast<int>(control.items.size()); ++row) {
                const ListItem& item = control.items[static_cast<std::size_t>(row)];
                ImGui::PushID(row);
                const float rowX = ImGui::GetCursorPosX();
                const std::vector<std::string> lines =
                    BreakToWidth(item.text, ImGui::GetContentRegionAvail().x - kindWidth);
                const float rowHeight = lines.size() > 1 ? ImGui::GetTextLineHeight() * static_cast<float>(lines.size()) : 0.0f;
                if (ImGui::Selectable("##row", row == control.value, ImGuiSelectableFlags_AllowDoubleClick,
                                      ImVec2(0.0f, rowHeight))) {
                    control.value = row;
                    events.emplace_back(DialogEvent::ListItemSelected, control.id);
                    if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left))
                        events.emplace_back(DialogEvent::ListItemActivated, control.id);
                }
                // The row's texts over its selectable: the kind in the text's
                // colour, dimmed (readable on a highlighted row too), and the
                // whole name, on more lines where it is longer than the row.
                ImGui::SameLine(rowX);
                ImGui::PushStyleColor(ImGuiCol_Text, ImGui::GetColorU32(ImGuiCol_Text, 0.7f));
                ImGui::TextUnformatted(item.kind.c_str());
                ImGui::PopStyleColor();
                ImGui::SameLine(rowX + kindWidth);
                std::string shown;
                for (const std::string& line : lines)
                    shown += (shown.empty() ? "" : "\n") + line;
                ImGui::TextUnformatted(shown.c_str());
                if (ImGui::IsItemHovered() && lines.size() > 1)
                    ImGui::SetTooltip("%s", item.text.c_str());
                ImGui::PopID();
            }
            ImGui::EndListBox();
        }
        break;
    }
    ImGui::PopID();
}

void Dialog::RenderPageTabs(std::vector<std::pair<DialogEvent, int>>& events)
{
    // One page needs no tabs.
    if (pages.size() < 2)
        return;
    // Buttons in the colours of tabs: a click selects the page at once, as a
    // button's click does, and the program's choice shows the same way.
    const float width = static_cast<float>(pageTabs.width) / static_cast<float>(pages.size()) - 2.0f;
    float left = static_cast<float>(pageTabs.x);
    for (const Page& page : pages) {
        const bool selected = page.id == selectedPage;
        ImGui::PushStyleColor(ImGuiCol_Button, ImGui::GetColorU32(selected ? ImGuiCol_TabActive : ImGuiCol_TabUnfocused));
        ImGui::PushStyleColor(ImGuiCol_ButtonHovered, ImGui::GetColorU32(ImGuiCol_TabHovered));
        ImGui::PushStyleColor(ImGuiCol_ButtonActive, ImGui::GetColorU32(ImGuiCol_TabActive));
        ImGui::SetCursorPos(ImVec2(left, static_cast<float>(pageTabs.y)));
        ImGui::PushID(page.id);
        if (ImGui::Button(page.title.c_str(), ImVec2(width, static_cast<float>(pageTabs.height))) && !selected) {
            selectedPage = page.id;
            events.emplace_back(DialogEvent::PageChanged, page.id);
        }
        ImGui::PopID();
        ImGui::PopStyleColor(3);
        left += width + 2.0f;
    }
    // The line under the tabs.
    const ImVec2 origin = ImGui::GetWindowPos();
    const float y = origin.y + static_cast<float>(pageTabs.y + pageTabs.height);
    ImGui::GetWindowDrawList()->AddLine(ImVec2(origin.x + static_cast<float>(pageTabs.x), y),
                                        ImVec2(origin.x + static_cast<float>(pageTabs.x + pageTabs.width), y),
                                        ImGui::GetColorU32(ImGuiCol_TabActive), 2.0f);
}

void Dialog::OnRender(float)
{
    // Widgets may reach past the dialog's nominal size; the window grows to
    // hold them so none is clipped.
    int right = width;
    int bottom = height;
    for (const Control& control : controls) {
        right = std::max(right, control.rect.x + control.rect.width + 8);
        bottom = std::max(bottom, control.rect.y + control.rect.height + 8);
    }
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(x), static_cast<float>(y)));
    // Labels may run past their rectangles; the spare width keeps them whole.
    // A panel with a background is drawn at its size: no spare to show.
    const int spare = background ? 0 : 40;
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(right + spare), static_cast<float>(bottom)));
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove
        | ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse | ImGuiWindowFlags_NoCollapse
        | ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing
        | (background ? ImGuiWindowFlags_None : ImGuiWindowFlags_NoBackground);

    std::vector<std::pair<DialogEvent, int>> events;
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    // A background hides what lies under the panel: opaque, so that bodies
    // do not show through its lines.
    ImVec4 backdrop = ImGui::GetStyleColorVec4(ImGuiCol_WindowBg);
    backdrop.w = 1.0f;
    ImGui::PushStyleColor(ImGuiCol_WindowBg, backdrop);
    if (ImGui::Begin(name.c_str(), nullptr, flags)) {
        // Tab is the window's key (the next robot): it never puts the
        // keyboard into an edit box.
        ImGui::PushAllowKeyboardFocus(false);
        RenderPageTabs(events);
        for (Control& control : controls) {
            if (IsShown(control))
                RenderControl(control, events);
            else
                control.focused = false;
        }
        ImGui::PopAllowKeyboardFocus();
    }
    ImGui::End();
    ImGui::PopStyleColor();
    ImGui::PopStyleVar();

    for (const auto& [event, id] : events)
        Send(event, id);
}

}
