#include "host/Framework.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Takes a variable out of the environment for one test.
class Unset {
public:
    explicit Unset(const char* name) : name(name)
    {
        if (const char* value = std::getenv(name))
            saved = value;
        unsetenv(name);
    }
    ~Unset()
    {
        if (saved)
            setenv(name, saved->c_str(), 1);
    }

private:
    const char* name;
    std::optional<std::string> saved;
};

}

TEST(NoDisplay, OneLineWithTheXvfbCommandAndFailure)
{
    const Unset display("DISPLAY");
    const Unset wayland("WAYLAND_DISPLAY");
    const Unset driver("SDL_VIDEODRIVER");
    Host::Framework framework;
    testing::internal::CaptureStderr();
    const int status = framework.Init({}, "korvale");
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_NE(status, 0);
    EXPECT_EQ(error.find('\n'), error.size() - 1) << error;
    EXPECT_NE(error.find("no display"), std::string::npos) << error;
    EXPECT_NE(error.find("xvfb-run"), std::string::npos) << error;
}
