#include "app/CStatusBar.h"

#include <algorithm>

namespace Korvale {

CStatusBar::CStatusBar() : defaultText(u"Ready"), text(u"Ready") {}

void CStatusBar::SetTime(float seconds)
{
    time = seconds;
}

void CStatusBar::ShowMessage(const std::u16string& message, float duration, int messagePriority)
{
    lastShown = messagePriority >= priority;
    if (!lastShown)
        return;
    text = message;
    priority = messagePriority;
    expiry = time + duration;
}

void CStatusBar::AddLine(const std::u16string& line, float duration, int linePriority)
{
    if (!lastShown || priority == 0 || expiry < time) {
        ShowMessage(line, duration, linePriority);
        return;
    }
    text += u'\n';
    text += line;
    priority = std::max(priority, linePriority);
    expiry = std::max(expiry, time + duration);
}

void CStatusBar::ShowMessage(const std::string& message, float duration, int messagePriority)
{
    std::u16string wide;
    wide.reserve(message.size());
    for (char c : message)
        wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    ShowMessage(wide, duration, messagePriority);
}

void CStatusBar::ShowInfo(const std::string& message)
{
    ShowMessage(message, 2.0f, 2);
}

void CStatusBar::ShowError(const std::string& message)
{
    ShowMessage(message, 5.0f, 3);
}

void CStatusBar::SetDefaultText(const std::u16string& newText)
{
    if (priority == 0)
        text = newText;
    defaultText = newText;
}

std::u16string CStatusBar::GetText()
{
    if (expiry < time) {
        priority = 0;
        text = defaultText;
    }
    return text;
}

} // namespace Korvale
