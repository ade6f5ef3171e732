#pragma once
#include "app/ISceneCommandHost.h"

namespace Host {
class Dialog;
}

namespace Korvale {

class CKorvale;

// The window's side of the panel commands: texts go to the status line, the
// camera and the radio buttons of the user panel follow the command. Under
// test automation each text is also written to standard output, one line
// each, so that a script driving the window can tell what happened.
class CPanelCommandHost : public ISceneCommandHost {
public:
    CPanelCommandHost(CKorvale& app, Host::Dialog& userPanel, bool echo = false)
        : app(app), userPanel(userPanel), echo(echo)
    {
    }

    void ShowInfo(const std::string& text) override;
    void ShowError(const std::string& text) override;
    // 10 seconds at priority 2: long enough to read a training's figures.
    void ShowResult(const std::string& text) override;
    // Under the command's own text on the status line, as long as an error
    // shows, though the command succeeded.
    void ShowWarning(const std::string& text) override;
    void ResetZoom() override;
    void CheckKeyboardButton() override;
    void CheckNoTargetButton() override;
    // Under automation only: "KIND: TEXT" on standard output, for a script.
    void Note(const std::string& kind, const std::string& text);

private:
    CKorvale& app;
    Host::Dialog& userPanel;
    bool echo;
};

} // namespace Korvale
