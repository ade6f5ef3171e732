#include "io/CFenPhysicalObjectReader.h"

#include <array>
#include <string>
#include <string_view>

#include "engine/PhysicalObject.h"
#include "engine/ShapeChecks.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ColorFromName.h"
#include "io/ExpectElement.h"
#include "io/ForEachNamedAttribute.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {

constexpr std::string_view reader = "CFenPhysicalObjectReader";

enum Attribute : std::size_t {
    X, Y, R, Height, ColorName, Angle, Mass,
    StaticFrictionThreshold, ViscousFrictionTau, ViscousMomentFrictionTau, CollisionAngularFrictionFactor,
    AttributeCount
};

constexpr std::array<std::string_view, AttributeCount> names{
    "x", "y", "r", "height", "color", "angle", "mass",
    "staticFrictionThreshold", "viscousFrictionTau", "viscousMomentFrictionTau", "collisionAngularFrictionFactor"};

// Values when the attribute is absent; x, y and r have none that counts.
constexpr std::array<double, AttributeCount> defaults{0, 0, 0, 10, 0, 0, -1, 0.1, 0.1, 0, 0.01};

// x, y, r and height must be greater than 0.
bool mustBePositive(std::size_t attribute) { return attribute <= Height; }

} // namespace

void CFenPhysicalObjectReader::Read(CFenIOStruct& io, Fen::PhysicalObject& body)
{
    const CXmlNode node = io.GetNode();
    if (!ExpectElement(node, io, reader, "object"))
        return;

    std::array<double, AttributeCount> value = defaults;
    std::array<bool, AttributeCount> seen{};
    Fen::Color color;
    const auto readValue = [&](std::size_t k, const std::string& text) {
        if (k == ColorName) {
            color = ColorFromName(text);
            return true;
        }
        value[k] = AttributeToDouble(text);
        if (mustBePositive(k) && !(value[k] > 0.0)) {
            ReportFault(io, reader, std::string(names[k]) + " <= 0.0");
            return false;
        }
        if (!(mustBePositive(k) ? InPositiveModelRange(value[k]) : InModelRange(value[k]))) {
            ReportFault(io, reader, std::string(names[k]) + " out of range");
            return false;
        }
        return true;
    };
    if (!ForEachNamedAttribute(node, names, seen, io, reader, readValue))
        return;
    if (!seen[X] || !seen[Y])
        return ReportFault(io, reader, "incomplete definition of object");

    body.pos = Fen::Point{value[X], value[Y]};
    body.r = value[R];
    body.color = color;
    body.height = value[Height];
    body.angle = DegreesToRadians(value[Angle]);
    body.mass = value[Mass];
    body.staticFrictionThreshold = value[StaticFrictionThreshold];
    body.viscousFrictionTau = value[ViscousFrictionTau];
    body.viscousMomentFrictionTau = value[ViscousMomentFrictionTau];
    body.collisionAngularFrictionFactor = value[CollisionAngularFrictionFactor];
    body.speed = Fen::Vector{0, 0};
    body.angSpeed = 0;

    if (seen[R]) {
        body.hasBoundingSurface = false;
        body.initInteractions();
        body.postInitHook();
        return;
    }

    // Anything but exactly one good "polygone" among the element children
    // leaves the body without a surface.
    Fen::Polygone polygon;
    bool havePolygon = false;
    const CXmlNodeList children = node.GetChildNodes();
    for (std::size_t i = 0; i < children.GetLength(); ++i) {
        const CXmlNode child = children.GetItem(i);
        if (child.GetNodeType() != CXmlNodeType::Element || (child.GetNodeName() == "polygone" && havePolygon))
            return ReportFault(io, reader, "unable to read boundingSurface");
        if (child.GetNodeName() != "polygone")
            continue;
        polygoneReader.Read(io.SetNode(child), polygon);
        if (!io.IsOk())
            return ReportFault(io, reader, "unable to read boundingSurface");
        havePolygon = true;
    }
    if (!havePolygon)
        return ReportFault(io, reader, "unable to read boundingSurface");
    // The contact and sensor code take every edge's left side for the inside.
    if (!Fen::isConvexCounterClockwise(polygon))
        return ReportFault(io, reader,
                           "polygone of the object at " + PointText(value[X], value[Y])
                               + " is not convex and counter-clockwise");

    body.setBoundingSurface(polygon);
    body.initInteractions();
    body.postInitHook();
}

} // namespace Tarn
