#include "app/SensorPanel.h"

#include "app/SensorReadout.h"
#include "host/Dialog.h"

#include <array>
#include <string>
#include <vector>

namespace Korvale {

namespace SensorPanel {

namespace {

enum Id {
    InfraredTitle = 1,
    InfraredBars,
    InfraredLines,
    OutputTitle,
    OutputBars,
    CommandTitle,
    CommandBars,
    OutputLines,
    CommandLines,
    HistoryNote,
};

// A reading is about 1100 at contact.
constexpr float InfraredTop = 1200.0f;
constexpr float Threshold = 0.5f;
const std::vector<std::string> CommandLabels{"F", "B", "L", "R"};
// Forward green, backward red, left yellow, right cyan (0xAABBGGRR).
const std::vector<std::uint32_t> CommandColors{0xFF50DC50, 0xFF5050F0, 0xFF40E0F0, 0xFFF0E040};
// One colour a sensor, repeated past eight.
constexpr std::array<std::uint32_t, 8> SensorColors{0xFFFF8080, 0xFF80FF80, 0xFF8080FF, 0xFF80FFFF,
                                                    0xFFFF80FF, 0xFFFFFF80, 0xFFC0C0C0, 0xFF4080FF};

std::vector<float> AsFloats(const std::vector<double>& values) { return {values.begin(), values.end()}; }

}

void Build(Host::Dialog& panel)
{
    panel.SetBackground(true);
    panel.AddStatic(InfraredTitle, "Infrared (F4 to hide)", {6, 0, 188, 16});
    panel.AddPlot(InfraredBars, {6, 16, 188, 30});
    panel.AddPlot(InfraredLines, {6, 62, 188, 30});
    panel.AddStatic(OutputTitle, "Network outputs", {6, 108, 104, 16});
    panel.AddStatic(CommandTitle, "Commands", {116, 108, 78, 16});
    panel.AddPlot(OutputBars, {6, 124, 104, 28});
    panel.AddPlot(CommandBars, {116, 124, 78, 28});
    panel.AddPlot(OutputLines, {6, 168, 188, 28});
    panel.AddPlot(CommandLines, {6, 198, 188, 40});
    panel.AddStatic(HistoryNote, "lines: the last 5 s", {84, 240, 110, 14});
}

void Show(Host::Dialog& panel, const SensorReadout& now, const CSensorHistory& history)
{
    const std::size_t sensors = now.infrared.size();
    Host::PlotData infrared{.bars = true, .minimum = 0.0f, .maximum = InfraredTop};
    infrared.series.push_back(AsFloats(now.infrared));
    for (std::size_t i = 0; i < sensors; ++i)
        infrared.labels.push_back(std::to_string(i));
    panel.SetPlot(InfraredBars, std::move(infrared));

    Host::PlotData infraredLines{.bars = false, .minimum = 0.0f, .maximum = InfraredTop};
    for (std::size_t i = 0; i < sensors; ++i) {
        infraredLines.series.push_back(history.Infrared(i));
        infraredLines.colors.push_back(SensorColors[i % SensorColors.size()]);
        infraredLines.legend.push_back(std::to_string(i));
    }
    panel.SetPlot(InfraredLines, std::move(infraredLines));

    panel.SetText(InfraredTitle, now.hasRobot ? "Infrared (F4 to hide)" : "No robot (F4 to hide)");
    panel.SetText(OutputTitle,
                  now.outputs.empty()      ? "No network"
                      : now.networkDriving ? "Network outputs"
                                           : "Network (not driving)");
    Host::PlotData outputs{.bars = true, .minimum = 0.0f, .maximum = 1.0f, .hasMarker = true, .marker = Threshold};
    outputs.series.push_back(AsFloats(now.outputs));
    outputs.labels = now.outputs.size() == 4 ? CommandLabels : std::vector<std::string>{};
    panel.SetPlot(OutputBars, std::move(outputs));

    Host::PlotData commands{.bars = true, .minimum = 0.0f, .maximum = 1.0f, .labels = CommandLabels};
    std::vector<float> given;
    for (const bool on : now.commands)
        given.push_back(on ? 1.0f : 0.0f);
    commands.series.push_back(std::move(given));
    panel.SetPlot(CommandBars, std::move(commands));

    Host::PlotData outputLines{.bars = false, .minimum = 0.0f, .maximum = 1.0f, .hasMarker = true, .marker = Threshold};
    for (std::size_t i = 0; i < now.outputs.size() && i < 4; ++i) {
        outputLines.series.push_back(history.Output(i));
        outputLines.colors.push_back(CommandColors[i]);
    }
    panel.SetPlot(OutputLines, std::move(outputLines));

    // Each command a line of its own height: on lifts it by 0.8.
    Host::PlotData commandLines{.bars = false, .minimum = -0.1f, .maximum = 4.0f};
    for (std::size_t i = 0; i < 4; ++i) {
        std::vector<float> line = history.Command(i);
        for (float& value : line)
            value = static_cast<float>(3 - i) + 0.8f * value;
        commandLines.series.push_back(std::move(line));
        commandLines.colors.push_back(CommandColors[i]);
        commandLines.legend.push_back(CommandLabels[i]);
    }
    panel.SetPlot(CommandLines, std::move(commandLines));
}

}

} // namespace Korvale
