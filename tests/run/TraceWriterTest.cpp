#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "run/SimulationCore.h"
#include "run/TraceWriter.h"
#include "RunTestFiles.h"

using namespace Korvale::Run;

TEST(TraceWriter, WritesTheHeaderAndEachRowWithTheShortestNumbersAndCommandsAsBits)
{
    std::ostringstream out;
    TraceWriter writer(out, 2);
    const double row[] = {0.1, 1.5, -2, 0.1 + 0.2, 1100, 0, 1, 0, 0, 1};
    writer.Row(row);
    EXPECT_EQ(out.str(),
              "time,x,y,angle,ir0,ir1,forward,backward,left,right\n"
              "0.1,1.5,-2,0.30000000000000004,1100,0,1,0,0,1\n");
}

TEST(TraceWriter, ASimulationsRowHoldsItsTimePoseReadingsAndCommands)
{
    SimulationCore simulation(RunTestFiles::Avoider());
    simulation.Step(30);
    std::vector<double> row(simulation.TraceColumns());
    ASSERT_EQ(row.size(), 4 + simulation.InfraredCount() + 4);
    simulation.TraceRow(row.data());
    const auto pose = simulation.Pose();
    const auto readings = simulation.Infrared();
    const auto commands = simulation.Commands();
    EXPECT_EQ(row[0], simulation.Time());
    EXPECT_EQ(std::vector<double>(row.begin() + 1, row.begin() + 4), std::vector<double>(pose.begin(), pose.end()));
    EXPECT_EQ(std::vector<double>(row.begin() + 4, row.end() - 4), readings);
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(row[row.size() - 4 + k], commands[k] ? 1.0 : 0.0);
}
