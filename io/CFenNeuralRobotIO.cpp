#include "io/CFenNeuralRobotIO.h"

#include <memory>
#include <optional>
#include <string_view>

#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ExpectElement.h"
#include "io/ReportFault.h"
#include "model/CFenNeuralRobot.h"

namespace Tarn {

namespace {
constexpr std::string_view reader = "CFenNeuralRobotIO";
}

void CFenNeuralRobotIO::Read(CFenIOStruct& io)
{
    const CXmlNode node = io.GetNode();
    if (node.GetNodeType() != CXmlNodeType::Element)
        return ReportFault(io, reader, "nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
    const CXmlNodeList children = node.GetChildNodes();
    robot->Clear();
    if (node.GetNodeName() != "neuralrobot")
        return ReportFault(io, reader, "bad nodeName");

    std::optional<double> wheelDistance;
    std::optional<double> robotSpeed;
    CXmlAttributes attributes = node.GetAttributes();
    attributes.Reset();
    for (CXmlNode attribute = attributes.NextNode(); !attribute.IsEmpty(); attribute = attributes.NextNode()) {
        if (attribute.GetNodeType() != CXmlNodeType::Attribute)
            continue;
        const std::string name = attribute.GetNodeName();
        if (name == "wheelDistance") {
            if (wheelDistance)
                return ReportFault(io, reader, "double definition of wheelDistance");
            wheelDistance = AttributeToDouble(attribute.GetText());
            if (!(*wheelDistance > 0.0))
                return ReportFault(io, reader, "wheelDistance <= 0.0");
            if (!InPositiveModelRange(*wheelDistance))
                return ReportFault(io, reader, "wheelDistance out of range");
        } else if (name == "robotSpeed") {
            // A second robotSpeed has always been reported with this line.
            if (robotSpeed)
                return ReportFault(io, reader, "robotSpeed <= 0.0");
            robotSpeed = AttributeToDouble(attribute.GetText());
            if (!(*robotSpeed > 0.0))
                return ReportFault(io, reader, "robotSpeed <= 0.0");
            if (!InPositiveModelRange(*robotSpeed))
                return ReportFault(io, reader, "robotSpeed out of range");
        }
    }
    if (!wheelDistance || !robotSpeed)
        return ReportFault(io, reader, "incomplete definition of neuralrobot");

    Fen::NeuralRobot& body = robot->GetPhysicalObject();
    body.wheelDistance = *wheelDistance;
    body.robotSpeed = *robotSpeed;

    // Every fault below clears the robot again, so that it never keeps half
    // of a file's sensors.
    const auto fail = [&](std::string_view description) {
        ReportFault(io, reader, description);
        robot->Clear();
    };
    bool haveObject = false;
    bool haveSensors = false;
    for (std::size_t i = 0; i < children.GetLength(); ++i) {
        const CXmlNode child = children.GetItem(i);
        if (child.GetNodeType() != CXmlNodeType::Element)
            return fail("subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
        const std::string name = child.GetNodeName();
        if (name == "object") {
            if (haveObject)
                return fail("double definition of object");
            objectReader.Read(io.SetNode(child), body);
            if (!io.IsOk())
                return fail("unable to read object");
            haveObject = true;
        } else if (name == "sensors") {
            if (haveSensors)
                return fail("double definition of sensors");
            ReadSensors(io.SetNode(child));
            if (!io.IsOk())
                return fail("unable to read sensors");
            haveSensors = true;
        }
    }
    // Without its "object" the robot would run with a default body that no
    // file described: that is no robot.
    if (!haveObject)
        return fail("incomplete definition of neuralrobot");

    body.initInteractions();
    body.postInitHook();
}

void CFenNeuralRobotIO::ReadSensors(CFenIOStruct& io)
{
    const CXmlNode node = io.GetNode();
    if (!ExpectElement(node, io, reader, "sensors"))
        return;

    Fen::NeuralRobot& body = robot->GetPhysicalObject();
    long long cameraPixels = 0;
    for (const auto& camera : body.cameras)
        cameraPixels += camera->pixelCount();

    const CXmlNodeList children = node.GetChildNodes();
    for (std::size_t i = 0; i < children.GetLength(); ++i) {
        const CXmlNode child = children.GetItem(i);
        if (child.GetNodeType() != CXmlNodeType::Element)
            return ReportFault(io, reader, "subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
        const std::string name = child.GetNodeName();
        if ((name == "irsensor" || name == "camera") && body.irSensors.size() + body.cameras.size() >= maxSensors)
            return ReportFault(io, reader, "too many sensors");
        if (name == "irsensor") {
            Fen::SensorResponseFunctor* const response[] = {&Fen::NeuralRobotIRSensorModel::instance()};
            auto sensor = std::make_unique<Fen::IRSensor>(1, response);
            irSensorReader.Read(io.SetNode(child), *sensor);
            if (!io.IsOk())
                return ReportFault(io, reader, "unable to read irsensor");
            sensor->setOwner(&body);
            Fen::IRSensor* const attached = sensor.get();
            body.irSensors.push_back(std::move(sensor));
            body.appendLocalInteraction(attached);
        } else if (name == "camera") {
            auto camera = std::make_unique<Fen::CircularCam>();
            cameraReader.Read(io.SetNode(child), *camera);
            if (!io.IsOk())
                return ReportFault(io, reader, "unable to read camera");
            cameraPixels += camera->pixelCount();
            if (cameraPixels > maxCameraPixels)
                return ReportFault(io, reader, "too many camera pixels");
            camera->setOwner(&body);
            Fen::CircularCam* const attached = camera.get();
            body.cameras.push_back(std::move(camera));
            body.appendLocalInteraction(attached);
        }
    }
    // Sorted once, now that all of them are attached.
    body.sortLocalInteractions();
}

} // namespace Tarn
