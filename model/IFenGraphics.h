#pragma once

namespace Tarn {

// The drawing object of an adapter. Draw returns a device result code:
// 0 for success, negative for failure.
class IFenGraphics {
public:
    virtual ~IFenGraphics() = default;
    virtual long Draw() = 0;
};

} // namespace Tarn
