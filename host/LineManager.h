#pragma once
#include <vector>

namespace Host {

// Outline rectangles drawn over the 3D picture and under the overlay text.
class LineManager {
public:
    struct Rect {
        float left, top, right, bottom;
        unsigned argb;
        float width;
    };

    void AddRect(float left, float top, float right, float bottom, unsigned argb, float width);
    void RemoveAll() { rects.clear(); }
    const std::vector<Rect>& Rects() const { return rects; }
    void Draw() const;

private:
    std::vector<Rect> rects;
};

}
