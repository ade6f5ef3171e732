#pragma once

namespace Tarn {

// A robot of the arena as the application sees it.
class IRobot {
public:
    virtual ~IRobot() = default;
};

} // namespace Tarn
