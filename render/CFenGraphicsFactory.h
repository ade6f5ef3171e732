#pragma once

#include "model/IFenGraphicsFactory.h"
#include "render/RobotDrawOptions.h"

namespace Tarn {

class CVertexBuffer;
// Gives each adapter its drawing object, all drawing into one drawing
// context. The context is not owned and may be null where nothing is drawn
// (the runner, reader tests): drawing then fails with the general failure.
class CFenGraphicsFactory : public IFenGraphicsFactory {
public:
    explicit CFenGraphicsFactory(CVertexBuffer* vertexBuffer) : vertexBuffer(vertexBuffer) {}

    std::unique_ptr<IFenGraphics> CreateGraphics(CFenWorld& world) override;
    std::unique_ptr<IFenGraphics> CreateGraphics(CFenPhysicalObject& object) override;
    std::unique_ptr<IFenGraphics> CreateGraphics(CFenNeuralRobot& robot) override;

    CVertexBuffer* GetVertexBuffer() const { return vertexBuffer; }
    // Read by every robot this factory gave a drawing object, at each drawing.
    RobotDrawOptions& RobotOptions() { return robotOptions; }
    const RobotDrawOptions& RobotOptions() const { return robotOptions; }

private:
    CVertexBuffer* vertexBuffer;
    RobotDrawOptions robotOptions;
};

} // namespace Tarn
