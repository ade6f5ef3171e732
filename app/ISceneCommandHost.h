#pragma once
#include <string>

namespace Korvale {

// What the panel commands need of whoever runs them: the window shows texts
// on its status line and moves its camera and radio buttons; the headless
// runner prints errors and ignores the rest.
class ISceneCommandHost {
public:
    virtual ~ISceneCommandHost() = default;
    // A success text: 2 seconds at priority 2.
    virtual void ShowInfo(const std::string& text) = 0;
    // The scene's accumulated error text, one fault a line: 5 seconds at priority 3.
    virtual void ShowError(const std::string& text) = 0;
    // The outcome of a long task (a training), to be read at leisure; an
    // information text unless the host keeps it longer.
    virtual void ShowResult(const std::string& text) { ShowInfo(text); }
    // A command succeeded, but with a surprise the user should know of (a
    // network whose outputs the control cannot read): one line, 5 seconds at
    // priority 3. Hosts that keep no warnings apart show it as information.
    virtual void ShowWarning(const std::string& text) { ShowInfo(text); }
    // Fits the whole arena into the world view.
    virtual void ResetZoom() = 0;
    // Checks the "Keyboard" radio button of the control group.
    virtual void CheckKeyboardButton() = 0;
    // Checks the "No Target" radio button of the camera group.
    virtual void CheckNoTargetButton() = 0;
};

} // namespace Korvale
