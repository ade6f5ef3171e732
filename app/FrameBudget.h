#pragma once

namespace Korvale {

// How long world frames may run in one window frame at "as fast as
// possible", so that the window keeps its rate: the time drawing leaves,
// lowered at once when a window frame came late and raised a little at a
// time while they come on time. Drawing's own time is measured one frame
// late and misses what the rest of the frame costs (the events, the swap,
// a machine busy with other work), which a budget of "period minus drawing"
// alone ran over: 48 or 30 window frames a second instead of 60.
class FrameBudget {
public:
    static constexpr double Least = 0.001;
    // A frame this much longer than the period came late.
    static constexpr double Late = 1.3;
    static constexpr double Cut = 0.7;
    static constexpr double Raise = 0.00008;

    // The budget for the next frame, from the period, the last window
    // frame's whole length and its drawing time.
    double Next(double period, double lastFrame, double drawing);
    double Current() const { return budget; }

private:
    double budget = 0.005;
};

} // namespace Korvale
