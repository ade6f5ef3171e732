#pragma once
#include "control/IKeyboardState.h"

namespace Korvale {

// The keys as one robot's controls see them: the real keyboard while that
// robot is the one the arrow keys belong to, no key held otherwise. In a
// swarm only the selected robot answers to the keys.
class KeyGate : public Tarn::IKeyboardState {
public:
    explicit KeyGate(const Tarn::IKeyboardState* keys) : keys(keys) {}

    bool IsKeyDown(unsigned code) const override { return open && keys != nullptr && keys->IsKeyDown(code); }
    void SetOpen(bool isOpen) { open = isOpen; }
    bool IsOpen() const { return open; }

private:
    const Tarn::IKeyboardState* keys; // not owned; none holds no key
    bool open = true;
};

} // namespace Korvale
