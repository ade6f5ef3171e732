#pragma once
#include "host/Framework.h"

#include <cstdint>

namespace Host {

// The device-settings dialog: window size, full screen and vertical sync.
// While it is active the application draws nothing else and it takes every
// message; OK applies the fields, Cancel, F2 and ESC close it unchanged.
class SettingsDialog {
public:
    explicit SettingsDialog(Framework& framework) : framework(framework) {}

    bool IsActive() const { return active; }
    // Becoming active refreshes the fields from the current device.
    void SetActive(bool on);

    bool MsgProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void OnRender(float elapsedSeconds);

private:
    Framework& framework;
    bool active = false;
    DeviceSettings fields;
};

}
