#include "io/CFenWorldIO.h"

#include <array>
#include <string>
#include <string_view>

#include "engine/PhysicalObject.h"
#include "engine/ShapeChecks.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ForEachNamedAttribute.h"
#include "io/ReportFault.h"
#include "io/SceneRobotsReader.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"

namespace Tarn {

namespace {

constexpr std::string_view reader = "CFenWorldIO";

enum Attribute : std::size_t { Width, Height, StartX, StartY, StartAngle, AttributeCount };

constexpr std::array<std::string_view, AttributeCount> names{"width", "height", "startX", "startY", "startAngle"};

} // namespace

void CFenWorldIO::Read(CFenIOStruct& io)
{
    const CXmlNode node = io.GetNode();
    if (node.GetNodeType() != CXmlNodeType::Element)
        return ReportFault(io, reader, "nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
    const CXmlNodeList children = node.GetChildNodes();
    // Emptied before anything is checked: a bad file always leaves an
    // empty default arena.
    world->Reset(100, 100);
    if (node.GetNodeName() != "world")
        return ReportFault(io, reader, "bad nodeName");

    std::array<double, AttributeCount> value{};
    std::array<bool, AttributeCount> seen{};
    // startAngle is only checked for a second definition; its value is not used.
    const auto readValue = [&](std::size_t k, const std::string& text) {
        if (k == StartAngle)
            return true;
        value[k] = AttributeToDouble(text);
        if (!(value[k] > 0.0)) {
            ReportFault(io, reader, std::string(names[k]) + " <= 0.0");
            return false;
        }
        if (!InPositiveModelRange(value[k])) {
            ReportFault(io, reader, std::string(names[k]) + " out of range");
            return false;
        }
        return true;
    };
    if (!ForEachNamedAttribute(node, names, seen, io, reader, readValue))
        return;
    if (!seen[Width] || !seen[Height])
        return ReportFault(io, reader, "incomplete definition of world");
    world->Reset(value[Width], value[Height]);

    // A start position outside the arena, or with one coordinate only, is dropped.
    if (seen[StartX] && seen[StartY] && value[StartX] < value[Width] && value[StartY] < value[Height])
        world->AddStartPoint(Fen::Point{value[StartX], value[StartY]});

    // Bodies and single robots enter the world in file order; groups of
    // robots after them all, so that their places avoid every body.
    SceneRobotsReader robots;
    for (std::size_t i = 0; i < children.GetLength(); ++i) {
        const CXmlNode child = children.GetItem(i);
        if (child.GetNodeType() != CXmlNodeType::Element) {
            ReportFault(io, reader, "subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
            world->Reset(100, 100);
            return;
        }
        const std::string name = child.GetNodeName();
        if (name == "robot" || name == "robots") {
            if (!robots.Read(io, child, *world)) {
                world->Reset(100, 100);
                return;
            }
            continue;
        }
        if (name != "object")
            continue;
        CFenPhysicalObject& object = CFenPhysicalObject::Create(*world);
        object.Read(io.SetNode(child));
        if (!io.IsOk()) {
            ReportFault(io, reader, "unable to read object");
            world->Reset(100, 100);
            return;
        }
        // The walls cannot hold a body larger than the arena: it would jump
        // between them every step and push the others through them. Contacts
        // turn movable bodies, so those must fit in every orientation.
        const Fen::PhysicalObject& body = object.GetPhysicalObject();
        if (!Fen::fitsInArena(body, value[Width], value[Height], body.mass >= 0)) {
            ReportFault(io, reader, "object at " + PointText(body.pos.x, body.pos.y) + " does not fit in the arena");
            world->Reset(100, 100);
            return;
        }
    }
    if (!robots.Finish(io, *world))
        world->Reset(100, 100);
}

} // namespace Tarn
