#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/CMsgSubject.h"
#include "base/WindowMessages.h"

using namespace Korvale;
using namespace Tarn;

namespace {

struct Delivery {
    std::string observer;
    void* window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const Delivery&) const = default;
};

class RecordingObserver : public IMsgObserver {
public:
    RecordingObserver(std::string name_, std::vector<Delivery>& log_, std::intptr_t answer_ = 0)
        : name(std::move(name_)), log(log_), answer(answer_)
    {
    }
    std::intptr_t OnMsg(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override
    {
        log.push_back({name, window, message, wParam, lParam});
        return answer;
    }

private:
    std::string name;
    std::vector<Delivery>& log;
    std::intptr_t answer;
};

TEST(CMsgSubject, MessagesReachEveryObserverUnchangedFirstAttachedFirst)
{
    std::vector<Delivery> log;
    // An observer's answer must not stop the message from reaching the next one.
    RecordingObserver keyboard("keyboard", log, 1);
    RecordingObserver mouse("mouse", log);
    CMsgSubject subject;
    subject.Attach(&keyboard);
    subject.Attach(&mouse);
    int window = 0;
    const std::intptr_t position = (55 << 16) | 120;
    subject.Notify(&window, WindowMessage::MouseMove, 1, position);
    const std::vector<Delivery> expected{{"keyboard", &window, WindowMessage::MouseMove, 1, position},
                                         {"mouse", &window, WindowMessage::MouseMove, 1, position}};
    EXPECT_EQ(log, expected);
}

TEST(CMsgSubject, DuplicatesNullAndStrangersLeaveTheListAlone)
{
    std::vector<Delivery> log;
    RecordingObserver keyboard("keyboard", log);
    RecordingObserver mouse("mouse", log);
    RecordingObserver stranger("stranger", log);
    CMsgSubject subject;
    subject.Attach(&keyboard);
    subject.Attach(&keyboard);
    subject.Attach(nullptr);
    subject.Attach(&mouse);
    subject.Detach(&stranger);
    subject.Notify(nullptr, WindowMessage::KeyDown, VirtualKey::W, 0);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].observer, "keyboard");
    EXPECT_EQ(log[1].observer, "mouse");

    log.clear();
    subject.Detach(&keyboard);
    subject.Notify(nullptr, WindowMessage::KeyUp, VirtualKey::W, 0);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].observer, "mouse");
}

} // namespace
