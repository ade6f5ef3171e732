#pragma once
#include <string>

namespace Korvale {

// How far the world goes in one window frame: running at a speed (×1/8 to
// ×16, or as fast as possible) or paused, with single frames asked for while
// paused. A speed changes how many world frames a window frame advances,
// never the time one world frame takes, so ×1 runs exactly as without it.
class CRunControl {
public:
    // ×1/8, ×1/4, ×1/2, ×1, ×2, ×4, ×8, ×16, then as fast as possible.
    static constexpr int SpeedCount = 9;
    static constexpr int NormalSpeed = 3;

    bool IsPaused() const { return paused; }
    void SetPaused(bool on);
    // One more world frame; only while paused (false otherwise).
    bool RequestStep();
    // One level up or down; false at the end of the range.
    bool Faster();
    bool Slower();
    int SpeedLevel() const { return level; }
    bool IsAsFastAsPossible() const { return level == SpeedCount - 1; }

    // "×1/8" ... "×16", or "as fast as possible".
    std::string SpeedText() const;
    // What the status line shows while nothing else is current: "Ready",
    // "Paused", "Speed ×4", "Paused (speed ×4)", "As fast as possible".
    std::string StateText() const;

    // World frames for this window frame at a fixed speed, the steps asked
    // for while paused, and none at full speed, where the caller fills the
    // frame's time budget instead. Slower speeds gather a fraction each
    // window frame: at ×1/4 every fourth window frame advances one.
    int TakeFrames();

private:
    bool paused = false;
    int steps = 0;
    int level = NormalSpeed;
    double credit = 0.0;
};

} // namespace Korvale
