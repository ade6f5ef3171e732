#pragma once

namespace Fen {
class CircularCam;
}

namespace Tarn {

class CFenIOStruct;

// Reads a "camera" element and sets the camera up from it. Nothing is
// stored into the camera unless the whole element is good.
class CFenCircularCamReader {
public:
    // A camera's image and depth buffer are sized by pixelCount; more pixels
    // than this are refused, so a file cannot claim memory it does not hold.
    static constexpr int maxPixelCount = 100000;

    virtual ~CFenCircularCamReader() = default;
    virtual void Read(CFenIOStruct& io, Fen::CircularCam& camera);
};

} // namespace Tarn
