#pragma once
#include <vector>
#include "engine/Color.h"
#include "engine/LocalInteraction.h"
#include "engine/Vector.h"

namespace Fen {

class SensorResponseFunctor;

// An infrared proximity sensor: a fan of rayCount rays of length `range`,
// each giving the distance to the nearest body or wall, turned into one noisy
// reading, finalValue.
class IRSensor : public LocalInteraction {
public:
    Point absPos;
    double absOrientation = 0;
    Point pos;
    double height = 0;
    double orientation = 0;
    double range = 0;
    double aperture = 0;
    const unsigned rayCount;
    std::vector<SensorResponseFunctor*> rayResponseFunctors; // not owned
    double reachRadius = 0;
    Vector reachCentre;
    Point absReachCentre;
    std::vector<double> rayDistances;
    std::vector<Color> rayColors;
    std::vector<double> rayRelAngles;
    std::vector<double> rayAbsAngles;
    double finalValue = 0;
    std::vector<double> finalRayDistances;
    std::vector<Color> finalRayColors;
    std::vector<Vector> rayHitPoints;

    // Copies rayCount functor references, then setup(0, 0, 0, 0, 10, 0).
    IRSensor(unsigned rayCount, SensorResponseFunctor* const* functors);

    void setup(double x, double y, double height, double orientation, double range, double aperture);

    void init() override;
    void objectStep(double dt, PhysicalObject& object, World& world) override;
    // objectStep with the body standing at `at`: a step that defers its
    // sensing passes where the body stood when the sensor met it.
    void seeBodyAt(const PhysicalObject& body, const Point& at);
    void wallsStep(World& world) override;
    void finalize(double dt) override;
};

} // namespace Fen
