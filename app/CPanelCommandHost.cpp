#include "app/CPanelCommandHost.h"

#include "app/CKorvale.h"
#include "app/KorvalePanels.h"
#include "host/Dialog.h"
#include "host/TextConversion.h"

#include <cstdio>

namespace Korvale {

namespace {

void Echo(const char* kind, const std::string& text)
{
    std::printf("%s: %s\n", kind, text.c_str());
    std::fflush(stdout);
}

}

void CPanelCommandHost::ShowInfo(const std::string& text)
{
    // Texts are UTF-8, as everything the window shows ("Speed ×4").
    app.statusBar.ShowMessage(Host::Utf8ToUtf16(text), 2.0f, 2);
    if (echo)
        Echo("info", text);
}

void CPanelCommandHost::ShowResult(const std::string& text)
{
    app.statusBar.ShowMessage(Host::Utf8ToUtf16(text), 10.0f, 2);
    if (echo)
        Echo("info", text);
}

void CPanelCommandHost::ShowWarning(const std::string& text)
{
    app.statusBar.AddLine(Host::Utf8ToUtf16(text), 5.0f, 3);
    if (echo)
        Echo("warning", text);
}

void CPanelCommandHost::ShowError(const std::string& text)
{
    app.statusBar.ShowMessage(Host::Utf8ToUtf16(text), 5.0f, 3);
    if (echo) {
        // One line per fault, as the status line shows them.
        std::string::size_type start = 0;
        while (start < text.size()) {
            const auto end = text.find('\n', start);
            const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (!line.empty())
                Echo("error", line);
            start = end == std::string::npos ? text.size() : end + 1;
        }
    }
}

void CPanelCommandHost::Note(const std::string& kind, const std::string& text)
{
    if (echo)
        Echo(kind.c_str(), text);
}

void CPanelCommandHost::ResetZoom()
{
    app.ResetZoom();
}

void CPanelCommandHost::CheckKeyboardButton()
{
    userPanel.SetRadioButtonChecked(PanelId::Keyboard);
}

void CPanelCommandHost::CheckNoTargetButton()
{
    userPanel.SetRadioButtonChecked(PanelId::NoTarget);
}

} // namespace Korvale
