#pragma once
#include <array>
#include <cstdint>

#include "app/IMsgObserver.h"
#include "control/IKeyboardState.h"

namespace Korvale {

// The application's key-state table: one flag per virtual-key code, set by
// key-down and cleared by key-up window messages.
class CKeyboard : public IMsgObserver, public Tarn::IKeyboardState {
public:
    CKeyboard() = default;
    ~CKeyboard() override = default;

    // Key down (0x100) and key up (0x101) set and clear the flag of the low
    // 8 bits of wParam; every other message is ignored. Returns 0.
    std::intptr_t OnMsg(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

    bool IsKeyDown(unsigned code) const override { return code < keys.size() && keys[code]; }
    // The whole table, for snapshots of a run: held keys drive the next frames.
    std::array<bool, 256>& Keys() { return keys; }

private:
    std::array<bool, 256> keys{};
};

} // namespace Korvale
