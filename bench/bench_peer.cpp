// Korvale against a rigid-body library (Box2D 2.4, for this benchmark only),
// side by side in one run: the same arena (CrowdedScene.h) built on both, the
// robot's 8 infrared sensors and 50 camera pixels as ray casts each step in
// the peer, dt = 1/60, 10 to 10,000 bodies, the peer with sleeping on and off.
// At the end a table of steps per second (by processor time, so that other
// work on the machine weighs less) and the ratios.
#include <benchmark/benchmark.h>
#include <box2d/box2d.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "CrowdedScene.h"

namespace {

// ---- the peer ---------------------------------------------------------------

class NearestHit : public b2RayCastCallback {
public:
    const b2Fixture* ignored = nullptr;
    b2Fixture* hit = nullptr;
    float fraction = 1;

    float ReportFixture(b2Fixture* fixture, const b2Vec2&, const b2Vec2&, float f) override
    {
        if (fixture == ignored)
            return -1;
        hit = fixture;
        fraction = f;
        return f;
    }
};

class PeerScene {
public:
    explicit PeerScene(int count, bool sleeping) : world(b2Vec2(0, 0)), image(Bench::pixelCount)
    {
        world.SetAllowSleeping(sleeping);
        b2BodyDef wallDef;
        b2Body* walls = world.CreateBody(&wallDef);
        const double s = Bench::arenaSize;
        const b2Vec2 corners[4] = {b2Vec2(0, 0), b2Vec2(s, 0), b2Vec2(s, s), b2Vec2(0, s)};
        for (int i = 0; i < 4; ++i) {
            b2EdgeShape edge;
            edge.SetTwoSided(corners[i], corners[(i + 1) % 4]);
            walls->CreateFixture(&edge, 0);
        }

        b2BodyDef robotDef;
        robotDef.type = b2_dynamicBody;
        robotDef.position.Set(s / 2, s / 2);
        robot = world.CreateBody(&robotDef);
        b2CircleShape disc;
        disc.m_radius = Bench::robotRadius;
        robotFixture = robot->CreateFixture(&disc, 1 / (Fen::pi * Bench::robotRadius * Bench::robotRadius));

        specs = Bench::crowdedBodies(count);
        for (std::size_t i = 0; i < specs.size(); ++i) {
            const Bench::BodySpec& spec = specs[i];
            b2BodyDef def;
            const bool movable = spec.mass >= 0;
            def.type = movable ? b2_dynamicBody : b2_staticBody;
            def.position.Set(spec.pos.x, spec.pos.y);
            def.angle = static_cast<float>(spec.angle);
            // Korvale's bodies stop as soon as nothing pushes them.
            def.linearDamping = 10;
            def.angularDamping = 10;
            b2Body* body = world.CreateBody(&def);
            b2FixtureDef fixture;
            fixture.userData.pointer = i;
            b2CircleShape circle;
            b2PolygonShape polygon;
            double area;
            if (spec.vertices == 0) {
                circle.m_radius = static_cast<float>(spec.r);
                fixture.shape = &circle;
                area = Fen::pi * spec.r * spec.r;
            } else {
                std::vector<b2Vec2> points;
                for (const Fen::Point& p : Bench::regularPolygon(spec.vertices, spec.r))
                    points.emplace_back(static_cast<float>(p.x), static_cast<float>(p.y));
                polygon.Set(points.data(), static_cast<int>(points.size()));
                fixture.shape = &polygon;
                area = spec.vertices / 2.0 * spec.r * spec.r * std::sin(2 * Fen::pi / spec.vertices);
            }
            fixture.density = movable ? static_cast<float>(spec.mass / area) : 0;
            body->CreateFixture(&fixture);
        }
    }

    // Sense, decide and drive as Korvale's robot does, then step.
    void step()
    {
        const b2Vec2 p = robot->GetPosition();
        const double heading = robot->GetAngle();
        double readings[Bench::sensorCount];
        for (int i = 0; i < Bench::sensorCount; ++i) {
            const double a = heading + Bench::sensorAngle(i);
            const b2Vec2 from(p.x + static_cast<float>(Bench::robotRadius * std::cos(a)),
                              p.y + static_cast<float>(Bench::robotRadius * std::sin(a)));
            const b2Vec2 to(from.x + static_cast<float>(Bench::sensorRange * std::cos(a)),
                            from.y + static_cast<float>(Bench::sensorRange * std::sin(a)));
            const double d = castRay(from, to) * Bench::sensorRange;
            readings[i] = d < Bench::sensorRange ? 1100 * std::exp(-std::max(d - 1, 0.0) / 2.5) : 0;
        }
        const double reach = Bench::arenaSize * 1.5;
        for (int k = 0; k < Bench::pixelCount; ++k) {
            const double a = heading - Bench::halfView + k * (2 * Bench::halfView / (Bench::pixelCount - 1));
            const b2Vec2 to(p.x + static_cast<float>(reach * std::cos(a)),
                            p.y + static_cast<float>(reach * std::sin(a)));
            castRay(p, to);
            image[k] = hit == nullptr ? -1 : static_cast<int>(hit->GetUserData().pointer);
        }
        const bool forward = Bench::frontClear(readings[0], readings[1], readings[7]);
        const double left = forward ? Bench::robotSpeed : 0;
        const double right = Bench::robotSpeed;
        const double v = (left + right) / 2;
        robot->SetLinearVelocity(
            b2Vec2(static_cast<float>(v * std::cos(heading)), static_cast<float>(v * std::sin(heading))));
        robot->SetAngularVelocity(static_cast<float>((right - left) / Bench::wheelDistance));
        world.Step(static_cast<float>(Bench::stepTime), 8, 3);
    }

private:
    double castRay(const b2Vec2& from, const b2Vec2& to)
    {
        NearestHit nearest;
        nearest.ignored = robotFixture;
        world.RayCast(&nearest, from, to);
        hit = nearest.hit;
        return nearest.fraction;
    }

    b2World world;
    b2Body* robot = nullptr;
    const b2Fixture* robotFixture = nullptr;
    b2Fixture* hit = nullptr;
    std::vector<Bench::BodySpec> specs;
    std::vector<int> image;
};

// ---- the runs -----------------------------------------------------------------

void Korvale(benchmark::State& state, int count)
{
    Bench::KorvaleScene scene(count);
    for (int i = 0; i < 60; ++i)
        scene.world.step(Bench::stepTime);
    for (auto _ : state)
        scene.world.step(Bench::stepTime);
    state.SetItemsProcessed(state.iterations());
}

void Peer(benchmark::State& state, int count, bool sleeping)
{
    PeerScene scene(count, sleeping);
    for (int i = 0; i < 60; ++i)
        scene.step();
    for (auto _ : state)
        scene.step();
    state.SetItemsProcessed(state.iterations());
}

// Steps per second of each benchmark by processor time: the median over
// repetitions when there are several, otherwise the one run's.
class TableReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rates;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const auto found = run.counters.find("items_per_second");
            if (found == run.counters.end())
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !rates.count(run.run_name.str())))
                rates[run.run_name.str()] = found->second.value;
        }
    }
};

std::string steps(double rate)
{
    char text[32];
    if (rate >= 1e4)
        std::snprintf(text, sizeof text, "%.0fk", rate / 1e3);
    else if (rate >= 1e3)
        std::snprintf(text, sizeof text, "%.1fk", rate / 1e3);
    else
        std::snprintf(text, sizeof text, "%.0f", rate);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const int counts[] = {10, 30, 100, 1000, 10000};
    for (const int count : counts) {
        const std::string n = std::to_string(count);
        benchmark::RegisterBenchmark(("Korvale/" + n).c_str(), Korvale, count);
        benchmark::RegisterBenchmark(("Box2D/" + n + "/sleeping").c_str(), Peer, count, true);
        benchmark::RegisterBenchmark(("Box2D/" + n + "/awake").c_str(), Peer, count, false);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nSteps per second (processor time), dt = 1/60:\n\n");
    std::printf("| bodies | Korvale | x real time | Box2D, sleeping on | Box2D, sleeping off "
                "| Korvale / sleeping on | Korvale / sleeping off |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const int count : counts) {
        const std::string n = std::to_string(count);
        const double korvale = reporter.rates["Korvale/" + n];
        const double on = reporter.rates["Box2D/" + n + "/sleeping"];
        const double off = reporter.rates["Box2D/" + n + "/awake"];
        if (korvale == 0 || on == 0 || off == 0)
            continue;
        std::printf("| %d | %s | %.0f | %s | %s | %.1f | %.1f |\n", count, steps(korvale).c_str(),
                    korvale * Bench::stepTime, steps(on).c_str(), steps(off).c_str(), korvale / on, korvale / off);
    }
    return 0;
}
