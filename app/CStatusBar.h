#pragma once
#include <string>

namespace Korvale {

// The status line: one message at a time, each with a priority and a
// duration. A message replaces the current one only when its priority is at
// least as high; once its time has run out the line falls back to "Ready".
// Priorities in use: 1 hover coordinates, 2 information, 3 errors.
class CStatusBar {
public:
    CStatusBar();
    virtual ~CStatusBar() = default;

    // The application's time, set at the start of every frame.
    void SetTime(float seconds);
    void ShowMessage(const std::u16string& text, float duration, int priority);
    // A line under the message the last ShowMessage showed, while that is
    // current: the two read together ("loaded successfully", then why the
    // network cannot drive). Otherwise a message of its own.
    void AddLine(const std::u16string& line, float duration, int priority);
    // Each byte becomes one UTF-16 unit.
    void ShowMessage(const std::string& text, float duration, int priority);
    // 2 seconds at priority 2.
    void ShowInfo(const std::string& text);
    // 5 seconds at priority 3.
    void ShowError(const std::string& text);
    // What shows when no message is current ("Ready" at the start).
    void SetDefaultText(const std::u16string& text);
    // Drops an expired message first.
    std::u16string GetText();

    int GetPriority() const { return priority; }

private:
    std::u16string defaultText;
    std::u16string text;
    int priority = 0;
    float expiry = 0.0f;
    float time = 0.0f;
    bool lastShown = false; // the last ShowMessage replaced the text
};

} // namespace Korvale
