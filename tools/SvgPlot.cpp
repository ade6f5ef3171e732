#include "tools/SvgPlot.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/NeuralRobot.h"
#include "engine/World.h"
#include "run/ShortestReal.h"

namespace Korvale::Tools {

namespace {

std::string Num(double value)
{
    std::string text;
    Run::AppendShortest(text, value);
    return text;
}

// Colour components run 0..1; like the window, 255 times the value, truncated.
std::string Rgb(const Fen::Color& color)
{
    const auto channel = [](double c) { return std::to_string(static_cast<int>(std::clamp(c, 0.0, 1.0) * 255)); };
    return "rgb(" + channel(color.r) + "," + channel(color.g) + "," + channel(color.b) + ")";
}

Fen::Point ToWorld(const Fen::PhysicalObject& body, const Fen::Point& local)
{
    const double c = std::cos(body.angle);
    const double s = std::sin(body.angle);
    return {body.pos.x + local.x * c - local.y * s, body.pos.y + local.x * s + local.y * c};
}

void WriteBody(std::ostream& out, const Fen::PhysicalObject& body)
{
    const std::string style = "fill=\"" + Rgb(body.color) + "\" stroke=\"#222\" stroke-width=\"0.15\"";
    if (body.hasBoundingSurface) {
        // From the body's own outline: the stored world outline dates from
        // the start of the last step.
        out << "<polygon " << style << " points=\"";
        for (std::size_t i = 0; i < body.boundingSurface.size(); ++i) {
            const Fen::Point p = ToWorld(body, body.boundingSurface[i]);
            out << (i ? " " : "") << Num(p.x) << ',' << Num(p.y);
        }
        out << "\"/>\n";
    } else {
        out << "<circle " << style << " cx=\"" << Num(body.pos.x) << "\" cy=\"" << Num(body.pos.y) << "\" r=\""
            << Num(body.r) << "\"/>\n";
    }
    if (dynamic_cast<const Fen::NeuralRobot*>(&body) != nullptr) {
        const Fen::Point nose = ToWorld(body, {body.r, 0});
        out << "<line x1=\"" << Num(body.pos.x) << "\" y1=\"" << Num(body.pos.y) << "\" x2=\"" << Num(nose.x)
            << "\" y2=\"" << Num(nose.y) << "\" stroke=\"#fff\" stroke-width=\"0.4\"/>\n";
    }
}

// The picture is 800 pixels across the arena's longer side.
constexpr double PictureSize = 800;

} // namespace

SvgPlot::SvgPlot(const Fen::World& world, std::size_t robots)
{
    // Half a pixel, to start with.
    const double tolerance = std::max(world.width, world.height) / PictureSize / 2;
    paths.reserve(std::max<std::size_t>(robots, 1));
    for (std::size_t i = 0; i < std::max<std::size_t>(robots, 1); ++i)
        paths.emplace_back(tolerance, PathCapacity(robots));
}

std::size_t SvgPlot::PathCapacity(std::size_t robots)
{
    if (robots <= 1)
        return PlotPath::defaultCapacity;
    return std::max(minimumPathCapacity, pointsForAllPaths / robots);
}

void SvgPlot::WritePath(std::ostream& out, const PlotPath& path) const
{
    if (path.Empty())
        return;
    out << "<polyline fill=\"none\" stroke=\"#000\" stroke-opacity=\"0.6\" stroke-width=\"0.3\" "
           "stroke-linejoin=\"round\" points=\"";
    const char* separator = "";
    path.ForEachPoint([&](const Fen::Point& point) {
        out << separator << Num(point.x) << ',' << Num(point.y);
        separator = " ";
    });
    out << "\"/>\n";
    out << "<circle cx=\"" << Num(path.Front().x) << "\" cy=\"" << Num(path.Front().y)
        << "\" r=\"0.8\" fill=\"none\" stroke=\"#000\" stroke-width=\"0.3\"/>\n";
}

void SvgPlot::Write(std::ostream& out, const Fen::World& world) const
{
    const double w = world.width;
    const double h = world.height;
    const double margin = std::max(w, h) * 0.02;
    const double pixels = PictureSize / std::max(w, h);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Num(std::round((w + 2 * margin) * pixels))
        << "\" height=\"" << Num(std::round((h + 2 * margin) * pixels)) << "\" viewBox=\"" << Num(-margin) << ' '
        << Num(-margin) << ' ' << Num(w + 2 * margin) << ' ' << Num(h + 2 * margin) << "\">\n";
    // Arena units with y up, as in the window.
    out << "<g transform=\"translate(0 " << Num(h) << ") scale(1 -1)\">\n";
    out << "<rect x=\"0\" y=\"0\" width=\"" << Num(w) << "\" height=\"" << Num(h)
        << "\" fill=\"#e8e8f0\" stroke=\"#00007f\" stroke-width=\"0.5\"/>\n";
    for (const PlotPath& path : paths)
        WritePath(out, path);
    for (const Fen::PhysicalObject* body : world.objects)
        WriteBody(out, *body);
    out << "</g>\n</svg>\n";
}

} // namespace Korvale::Tools
