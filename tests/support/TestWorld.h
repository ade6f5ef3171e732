#pragma once
// World adapters for tests and benchmarks, which may use only some of the
// layers above the adapters: the readers (io), the drawing (render), both
// or neither. Stand-ins take the place of what a test does not use.
#include <memory>
#include <utility>

#include "base/DeviceResult.h"
#include "model/CFenWorld.h"
#include "model/IFenGraphicsFactory.h"
#include "model/IFenIOFactory.h"

namespace TestSupport {

// Readers that read nothing and report nothing.
class NoReaders : public Tarn::IFenIOFactory {
public:
    std::unique_ptr<Tarn::IFenIO> CreateIO(Tarn::CFenWorld&) override { return std::make_unique<Reader>(); }
    std::unique_ptr<Tarn::IFenIO> CreateIO(Tarn::CFenPhysicalObject&) override { return std::make_unique<Reader>(); }
    std::unique_ptr<Tarn::IFenIO> CreateIO(Tarn::CFenNeuralRobot&) override { return std::make_unique<Reader>(); }

private:
    struct Reader : Tarn::IFenIO {
        void Read(Tarn::CFenIOStruct&) override {}
    };
};

// Drawing objects that draw nothing and fail as drawing without a drawing
// context does.
class NoDrawing : public Tarn::IFenGraphicsFactory {
public:
    std::unique_ptr<Tarn::IFenGraphics> CreateGraphics(Tarn::CFenWorld&) override
    {
        return std::make_unique<Graphics>();
    }
    std::unique_ptr<Tarn::IFenGraphics> CreateGraphics(Tarn::CFenPhysicalObject&) override
    {
        return std::make_unique<Graphics>();
    }
    std::unique_ptr<Tarn::IFenGraphics> CreateGraphics(Tarn::CFenNeuralRobot&) override
    {
        return std::make_unique<Graphics>();
    }

private:
    struct Graphics : Tarn::IFenGraphics {
        Tarn::DeviceResult Draw() override { return Tarn::DeviceFail; }
    };
};

template <class Readers, class Drawing>
struct WorldFactories {
    template <class... DrawingArguments>
    explicit WorldFactories(DrawingArguments&&... arguments) : drawing(std::forward<DrawingArguments>(arguments)...)
    {
    }
    Readers readers;
    Drawing drawing;
};

// A world adapter that owns its two factories, made before it and destroyed
// after it: TestWorld<Tarn::CFenIOFactory, NoDrawing> reads model files,
// TestWorld<NoReaders, Tarn::CFenGraphicsFactory> world{&vertexBuffer} draws.
// Arguments go to the drawing factory.
template <class Readers, class Drawing>
class TestWorld : private WorldFactories<Readers, Drawing>, public Tarn::CFenWorld {
public:
    template <class... DrawingArguments>
    explicit TestWorld(DrawingArguments&&... arguments)
        : WorldFactories<Readers, Drawing>(std::forward<DrawingArguments>(arguments)...),
          Tarn::CFenWorld(this->readers, this->drawing)
    {
    }
};

} // namespace TestSupport
