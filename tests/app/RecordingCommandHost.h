#pragma once
#include "app/ISceneCommandHost.h"

#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

// Records what the scene commands ask of the window, in order.
class RecordingCommandHost : public Korvale::ISceneCommandHost {
public:
    void ShowInfo(const std::string& text) override { calls.push_back("info: " + text); }
    void ShowError(const std::string& text) override { calls.push_back("error: " + text); }
    void ShowWarning(const std::string& text) override { calls.push_back("warning: " + text); }
    void ResetZoom() override { calls.push_back("reset zoom"); }
    void CheckKeyboardButton() override { calls.push_back("check Keyboard"); }
    void CheckNoTargetButton() override { calls.push_back("check No Target"); }

    std::vector<std::string> Take() { return std::exchange(calls, {}); }

private:
    std::vector<std::string> calls;
};

} // namespace TestSupport
