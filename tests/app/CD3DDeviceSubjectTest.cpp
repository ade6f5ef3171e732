#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/CD3DDeviceSubject.h"
#include "tests/support/CRecordingDevice.h"

using namespace Korvale;
using namespace Tarn;
using namespace TestSupport;

namespace {

// Writes "<name>:<event>" into a shared journal and answers with a set result.
class JournalObserver : public ID3DDeviceObserver {
public:
    JournalObserver(std::string name_, std::vector<std::string>& journal_) : name(std::move(name_)), journal(journal_) {}

    DeviceResult OnCreateDevice(IGraphicsDevice* d) override
    {
        device = d;
        return Log("create");
    }
    DeviceResult OnResetDevice() override { return Log("reset"); }
    DeviceResult OnLostDevice() override { return Log("lost"); }
    DeviceResult OnDestroyDevice() override { return Log("destroy"); }

    DeviceResult answer = DeviceOk;
    IGraphicsDevice* device = nullptr;

private:
    DeviceResult Log(const char* event)
    {
        journal.push_back(name + ":" + event);
        return answer;
    }
    std::string name;
    std::vector<std::string>& journal;
};

class D3DDeviceSubjectTest : public testing::Test {
protected:
    std::vector<std::string> journal;
    JournalObserver first{"first", journal};
    JournalObserver second{"second", journal};
    JournalObserver third{"third", journal};
    CD3DDeviceSubject subject;
};

TEST_F(D3DDeviceSubjectTest, EveryEventReachesObserversInAttachOrder)
{
    subject.Attach(&first);
    subject.Attach(&second);
    CRecordingDevice device;
    EXPECT_EQ(subject.OnCreateDevice(&device), DeviceOk);
    EXPECT_EQ(subject.OnResetDevice(), DeviceOk);
    EXPECT_EQ(subject.OnLostDevice(), DeviceOk);
    EXPECT_EQ(subject.OnDestroyDevice(), DeviceOk);
    const std::vector<std::string> expected{"first:create", "second:create", "first:reset", "second:reset",
                                            "first:lost",   "second:lost",   "first:destroy", "second:destroy"};
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(first.device, &device);
    EXPECT_EQ(second.device, &device);
}

TEST_F(D3DDeviceSubjectTest, AttachingTwiceDeliversOnceAndNullIsIgnored)
{
    subject.Attach(&first);
    subject.Attach(nullptr);
    subject.Attach(&first);
    EXPECT_EQ(subject.OnResetDevice(), DeviceOk);
    EXPECT_EQ(journal, std::vector<std::string>{"first:reset"});
}

TEST_F(D3DDeviceSubjectTest, DetachRemovesOnlyThatObserverAndKeepsTheOrder)
{
    subject.Attach(&first);
    subject.Attach(&second);
    subject.Attach(&third);
    subject.Detach(&second);
    subject.OnLostDevice();
    EXPECT_EQ(journal, (std::vector<std::string>{"first:lost", "third:lost"}));

    journal.clear();
    JournalObserver stranger{"stranger", journal};
    subject.Detach(&stranger);
    subject.OnLostDevice();
    EXPECT_EQ(journal, (std::vector<std::string>{"first:lost", "third:lost"}));
}

TEST_F(D3DDeviceSubjectTest, AFailureDoesNotStopLaterObservers)
{
    subject.Attach(&first);
    subject.Attach(&second);
    first.answer = static_cast<DeviceResult>(0x8876086Cu);
    EXPECT_EQ(subject.OnResetDevice(), DeviceFail);
    EXPECT_EQ(journal, (std::vector<std::string>{"first:reset", "second:reset"}));
}

TEST_F(D3DDeviceSubjectTest, APositiveCodeCountsAsFailure)
{
    subject.Attach(&first);
    subject.Attach(&second);
    second.answer = 1;
    EXPECT_EQ(subject.OnCreateDevice(nullptr), DeviceFail);
    EXPECT_EQ(subject.OnDestroyDevice(), DeviceFail);
    second.answer = DeviceOk;
    EXPECT_EQ(subject.OnLostDevice(), DeviceOk);
}

TEST_F(D3DDeviceSubjectTest, NoObserversIsSuccess)
{
    EXPECT_EQ(subject.OnCreateDevice(nullptr), DeviceOk);
    EXPECT_EQ(subject.OnResetDevice(), DeviceOk);
}

// Detaching during a fan-out is not something any observer does; it must
// still not read past the end of the list.
class SelfDetaching : public ID3DDeviceObserver {
public:
    explicit SelfDetaching(CD3DDeviceSubject& s) : subject(s) {}
    DeviceResult OnCreateDevice(IGraphicsDevice*) override { return DeviceOk; }
    DeviceResult OnResetDevice() override { return DeviceOk; }
    DeviceResult OnLostDevice() override
    {
        ++calls;
        subject.Detach(this);
        return DeviceOk;
    }
    DeviceResult OnDestroyDevice() override { return DeviceOk; }
    int calls = 0;

private:
    CD3DDeviceSubject& subject;
};

TEST_F(D3DDeviceSubjectTest, AnObserverDetachingItselfMidFanOutIsSafe)
{
    SelfDetaching leaving(subject);
    subject.Attach(&leaving);
    subject.Attach(&first);
    EXPECT_EQ(subject.OnLostDevice(), DeviceOk);
    EXPECT_EQ(leaving.calls, 1);
    subject.OnLostDevice();
    EXPECT_EQ(leaving.calls, 1);
}

} // namespace
