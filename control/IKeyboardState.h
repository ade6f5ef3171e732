#pragma once

namespace Tarn {

// Which keys are held, by virtual-key code (0 to 255). The keyboard control
// reads it; the application's key-state table, fed by window messages,
// answers it.
class IKeyboardState {
public:
    virtual ~IKeyboardState() = default;
    virtual bool IsKeyDown(unsigned code) const = 0;
};

} // namespace Tarn
