#pragma once

namespace Tarn {

// An obstacle of the arena as the application sees it.
class IPhysicalObject {
public:
    virtual ~IPhysicalObject() = default;
};

} // namespace Tarn
