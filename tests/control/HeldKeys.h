#pragma once
// The keys a control test holds down, as the application's key-state table
// would report them.
#include <array>
#include <cstdint>

#include "control/IKeyboardState.h"

class HeldKeys : public Tarn::IKeyboardState {
public:
    void Press(std::uint8_t key) { keys[key] = true; }
    void Release(std::uint8_t key) { keys[key] = false; }
    bool IsKeyDown(unsigned code) const override { return code < keys.size() && keys[code]; }

private:
    std::array<bool, 256> keys{};
};
