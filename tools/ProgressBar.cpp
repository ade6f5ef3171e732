#include "tools/ProgressBar.h"

#include <string>

namespace Korvale::Tools {

ProgressBar::ProgressBar(std::ostream& out_, bool enabled_, std::int64_t total_)
    : out(out_), enabled(enabled_ && total_ > 0), total(total_)
{
}

void ProgressBar::Update(std::int64_t done)
{
    // Reading the clock every frame would cost more than a small scene's step.
    if (!enabled || done % 64 != 0)
        return;
    const Clock::time_point now = Clock::now();
    if (now - start < std::chrono::seconds(1) || (shown && now - lastDraw < std::chrono::milliseconds(100)))
        return;
    constexpr int width = 40;
    const int filled = static_cast<int>(width * done / total);
    out << "\r[" << std::string(filled, '#') << std::string(width - filled, '.') << "] "
        << static_cast<int>(100 * done / total) << '%' << std::flush;
    shown = true;
    lastDraw = now;
}

void ProgressBar::Finish()
{
    if (shown)
        out << "\r\033[K" << std::flush;
    shown = false;
    enabled = false;
}

} // namespace Korvale::Tools
