// Rendering of discs, polygon edges and walls by the circular camera.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include "EngineFixtures.h"
#include "engine/Angle.h"
#include "engine/CircularCam.h"
#include "engine/DepthTest.h"

using namespace Fen;
using FenTest::box;
using FenTest::disc;
using FenTest::Scene;

namespace {

constexpr Color black{};
constexpr Color red{1, 0, 0, 1};
constexpr Color green{0, 1, 0, 1};
constexpr Color blue{0, 0, 1, 1};

// A camera on a robot that stands at `pos`, facing `angle`.
struct CameraRig {
    Scene scene;
    NeuralRobot* robot;
    CircularCam* camera;

    CameraRig(Point pos, double angle, double width = 100, double height = 100) : scene(width, height)
    {
        auto body = std::make_unique<NeuralRobot>();
        body->pos = pos;
        body->angle = angle;
        body->r = 0.1;
        body->mass = -1;
        robot = &scene.add(std::move(body));
        auto cam = std::make_unique<CircularCam>();
        cam->setOwner(robot);
        camera = cam.get();
        robot->cameras.push_back(std::move(cam));
        robot->addLocalInteraction(camera);
    }
    void render() { scene.step(0.01); }
};

// A two-vertex polygon: one textured edge from p0 to p1; the edge back has no
// colours and is not drawn.
std::unique_ptr<PhysicalObject> segment(Point p0, Point p1, const Texture& texture)
{
    auto body = std::make_unique<PhysicalObject>();
    body->mass = -1;
    body->setBoundingSurface({p0, p1});
    body->textures = {texture, Texture{}};
    return body;
}

double pixelAngle(const CircularCam& camera, unsigned k)
{
    return -camera.fieldOfView + k * (2 * camera.fieldOfView / (camera.pixelCount() - 1));
}

} // namespace

TEST(CameraSetup, DefaultsAndRadius)
{
    CircularCam camera;
    EXPECT_EQ(camera.pixelCount(), 50u);
    EXPECT_DOUBLE_EQ(camera.fieldOfView, pi / 4);
    EXPECT_EQ(camera.r, std::numeric_limits<double>::max());
    EXPECT_EQ(camera.pixelOperation, &DepthTest::instance());
    EXPECT_EQ(camera.image[0], black);
}

TEST(CameraDisc, SmallDiscStraightAheadCoversTheTwoMiddlePixels)
{
    CameraRig rig({50, 50}, 0.7);
    auto& ball = rig.scene.add(disc({50 + 20 * std::cos(0.7), 50 + 20 * std::sin(0.7)}, 0.1, -1));
    ball.color = red;
    rig.render();
    for (unsigned k = 0; k < 50; ++k) {
        const bool covered = k == 24 || k == 25;
        EXPECT_EQ(rig.camera->image[k], covered ? red : black) << k;
        if (covered)
            EXPECT_NEAR(rig.camera->zBuffer[k], 400, 1e-9);
        else
            EXPECT_EQ(rig.camera->zBuffer[k], std::numeric_limits<double>::max());
    }
}

TEST(CameraDisc, DiscOnTheLeftLandsOnHighPixels)
{
    CameraRig rig({50, 50}, 0);
    auto& ball = rig.scene.add(disc({60, 60}, 0.5, -1)); // 45 degrees to the left: the last pixel
    ball.color = green;
    rig.render();
    EXPECT_EQ(rig.camera->image[49], green);
    EXPECT_EQ(rig.camera->image[0], black);
    EXPECT_EQ(rig.camera->image[30], black);
}

TEST(CameraDisc, NearerDiscHidesFartherAndTiesKeepTheFirst)
{
    CameraRig rig({50, 50}, 0);
    auto& far = rig.scene.add(disc({70, 50}, 1, -1));
    auto& near = rig.scene.add(disc({60, 50}, 0.2, -1));
    far.color = red;
    near.color = blue;
    rig.render();
    EXPECT_EQ(rig.camera->image[24], blue);
    EXPECT_EQ(rig.camera->image[22], red); // the far disc is wider

    near.pos = Point{70, 50};
    near.r = 1;
    rig.render();
    EXPECT_EQ(rig.camera->image[24], red);
}

TEST(CameraDisc, LowBodiesAndTheCameraSpotAreNotDrawn)
{
    CameraRig rig({50, 50}, 0);
    rig.camera->setup(0, 0, 1, 0, pi / 4, 50);
    auto& low = rig.scene.add(disc({60, 50}, 1, -1));
    low.color = red;
    low.height = 0.5;
    rig.render();
    for (const Color& c : rig.camera->image)
        EXPECT_EQ(c, black);

    low.height = 1;
    low.pos = Point{50, 50};
    low.r = 0.05; // on the camera itself
    rig.render();
    for (const Color& c : rig.camera->image)
        EXPECT_EQ(c, black);
}

TEST(CameraSegment, TextureRunsFromTheFirstVertex)
{
    CameraRig rig({50, 50}, 0);
    // From the lower right to the upper right of the view: red half first.
    rig.scene.add(segment({60, 35}, {60, 65}, Texture{red, green}));
    rig.render();
    for (unsigned k = 0; k < 50; ++k)
        EXPECT_EQ(rig.camera->image[k], k < 25 ? red : green) << k;
    // The depth is the squared distance of the point each pixel sees.
    const double y = 10 * std::tan(pixelAngle(*rig.camera, 10));
    EXPECT_NEAR(rig.camera->zBuffer[10], 100 + y * y, 1e-9);
}

TEST(CameraSegment, ReversedSegmentKeepsItsTextureInPlace)
{
    CameraRig rig({50, 50}, 0);
    rig.scene.add(segment({60, 65}, {60, 35}, Texture{red, green}));
    rig.render();
    // Now the first vertex is on the left: pixel 49 shows red.
    EXPECT_EQ(rig.camera->image[0], green);
    EXPECT_EQ(rig.camera->image[49], red);
}

TEST(CameraSegment, EdgeBehindTheCameraDoesNotWrapAcrossTheImage)
{
    CameraRig rig({0, 0}, 0, 1000, 1000);
    rig.scene.world.useWalls = false;
    rig.robot->pos = Point{0, 0};
    // From behind on the right, round the back and the left, into the view.
    rig.scene.add(segment({-5, -1}, {5, 3}, Texture{red}));
    rig.render();
    const double enters = std::atan2(3, 5);
    for (unsigned k = 0; k < 50; ++k) {
        const bool seen = pixelAngle(*rig.camera, k) >= enters;
        EXPECT_EQ(rig.camera->image[k], seen ? red : black) << k;
    }
}

TEST(CameraSegment, EdgeBehindCrossingBothSidesIsNotDrawn)
{
    CameraRig rig({0, 0}, 0, 1000, 1000);
    rig.scene.world.useWalls = false;
    rig.scene.add(segment({-5, -10}, {-5, 10}, Texture{red}));
    rig.render();
    for (const Color& c : rig.camera->image)
        EXPECT_EQ(c, black);
}

TEST(CameraSegment, SegmentBetweenTwoPixelAnglesDrawsNothing)
{
    CameraRig rig({50, 50}, 0);
    rig.scene.add(segment({60, 49.95}, {60, 50.05}, Texture{red}));
    rig.render();
    for (const Color& c : rig.camera->image)
        EXPECT_EQ(c, black);
}

TEST(CameraSegment, PolygonShowsItsNearFace)
{
    CameraRig rig({50, 50}, 0);
    auto& block = rig.scene.add(box({60, 50}, 1, 3, -1));
    block.textures = {{red}, {green}, {blue}, {red, green, blue}};
    rig.render();
    // The left face (last edge, from top to bottom) faces the camera.
    const unsigned middle = 25;
    EXPECT_EQ(rig.camera->image[middle], green);
    EXPECT_NEAR(rig.camera->zBuffer[24], 81 + std::pow(9 * std::tan(pixelAngle(*rig.camera, 24)), 2), 1e-9);
}

TEST(CameraWalls, WallsAreInvisibleUntilTextured)
{
    CameraRig rig({70, 50}, 0);
    rig.render();
    for (const Color& c : rig.camera->image)
        EXPECT_EQ(c, black);

    rig.scene.world.wallTextures[1] = Texture{red, green};
    rig.render();
    for (unsigned k = 0; k < 50; ++k)
        EXPECT_EQ(rig.camera->image[k], k < 25 ? red : green) << k;
    EXPECT_NEAR(rig.camera->zBuffer[24], std::pow(30 / std::cos(pixelAngle(*rig.camera, 24)), 2), 1e-9);
}

TEST(CameraWalls, TopWallSeenLookingUp)
{
    CameraRig rig({50, 90}, pi / 2);
    // The top wall runs from (width, height) to (0, height): right to left in this view.
    rig.scene.world.wallTextures[2] = Texture{red, green};
    rig.render();
    EXPECT_EQ(rig.camera->image[0], red);
    EXPECT_EQ(rig.camera->image[49], green);
}

TEST(OnePixelCamera, LooksAlongItsDirection)
{
    CameraRig rig({50, 50}, 0.3);
    rig.camera->setup(0, 0, 0, 0, pi / 4, 1);
    const Point ahead{50 + 10 * std::cos(0.3), 50 + 10 * std::sin(0.3)};
    const Vector across{-std::sin(0.3), std::cos(0.3)};
    // The pixel's line crosses this edge a quarter of the way along.
    auto& edge = rig.scene.add(segment(ahead - across * 1, ahead + across * 3, Texture{red, blue}));
    rig.render();
    EXPECT_EQ(rig.camera->image[0], red);
    EXPECT_NEAR(rig.camera->zBuffer[0], 100, 1e-9);

    // An edge off to one side but inside the field of view is not on the pixel's line.
    edge.setBoundingSurface({ahead + across * 1, ahead + across * 3});
    edge.textures = {{red}, {}};
    rig.render();
    EXPECT_EQ(rig.camera->image[0], black);

    // Discs still cover the one pixel whenever they meet the field of view.
    auto& ball = rig.scene.add(disc(ahead + across * 3, 0.5, -1));
    ball.color = green;
    rig.render();
    EXPECT_EQ(rig.camera->image[0], green);
    EXPECT_FALSE(std::isnan(rig.camera->zBuffer[0]));
}

TEST(CameraSegment, EdgeAlongThePixelLineLeavesThePixelToTheFaceBehind)
{
    // Three pixels: the middle one looks straight ahead, along the box's
    // bottom edge. That edge gives the pixel no point of its own (0/0); the
    // near face, drawn after it, shows its end at depth 10^2.
    CameraRig rig({50, 50}, 0);
    rig.camera->setup(0, 0, 0, 0, pi / 4, 3);
    auto& block = rig.scene.add(box({65, 52}, 5, 2, -1));
    block.textures = {{red}, {green}, {green}, {blue}};
    rig.render();
    EXPECT_EQ(rig.camera->image[1], blue);
    EXPECT_EQ(rig.camera->zBuffer[1], 100);
}

TEST(CameraSegment, EdgeWithoutColoursIsNotDrawn)
{
    CameraRig rig({50, 50}, 0);
    auto& block = rig.scene.add(box({60, 50}, 1, 3, -1));
    block.textures = {{red}, {green}, {blue}, {}};
    rig.render();
    // The near face has no texture: the far face shows through.
    EXPECT_EQ(rig.camera->image[25], green);
}

TEST(DepthTestOperation, StrictlyNearerWins)
{
    double z = 4;
    Color pixel = red;
    DepthTest::instance().operate(z, pixel, 4, blue);
    EXPECT_EQ(pixel, red);
    DepthTest::instance().operate(z, pixel, 3, blue);
    EXPECT_EQ(pixel, blue);
    EXPECT_EQ(z, 3);
}
