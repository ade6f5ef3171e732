// Opening a file when memory runs out. This file replaces the global
// operator new of the io test program with one that can be told to fail the
// n-th allocation from now on; it behaves as the standard one otherwise.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <unistd.h>

#include "io/CFenIOStruct.h"

namespace {

// Allocations left before the one that fails; negative: none fails.
thread_local long allocationsBeforeFailure = -1;
thread_local long allocationsCounted = 0;

void* allocate(std::size_t size)
{
    ++allocationsCounted;
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (allocationsBeforeFailure > 0)
        --allocationsBeforeFailure;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

} // namespace

// Every plain form is replaced, so that all of them pair malloc with free
// (the aligned forms stay the library's, which pair among themselves).
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }

// Kept out of line: inlined into a new-expression's cleanup, GCC would take
// the free for a mismatch with the operator new above.
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete[](void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace {

using Tarn::CFenIOStruct;

class OutOfMemory : public testing::Test {
protected:
    void SetUp() override { std::ofstream(path) << "<world width='1' height='1'><object/></world>"; }
    void TearDown() override { std::filesystem::remove(path); }

    // Opens the file with the n-th allocation of the opening failing.
    std::string OpenFailingAllocation(long n)
    {
        std::string name = path.string();
        allocationsBeforeFailure = n;
        const CFenIOStruct io(std::move(name));
        allocationsBeforeFailure = -1;
        return io.GetErrorText();
    }

    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("korvale_oom_" + std::to_string(::getpid()) + ".xml");
};

TEST_F(OutOfMemory, FirstFailureIsTheDocumentThatCannotBeMade)
{
    EXPECT_EQ(OpenFailingAllocation(0), "Error in CFenIOStruct: cannot instantiate Msxml.DOMDocument\n");
}

TEST_F(OutOfMemory, AnyFailingAllocationGivesOneOpeningMessage)
{
    std::string name = path.string();
    allocationsCounted = 0;
    { const CFenIOStruct io(std::move(name)); }
    const long opening = allocationsCounted;
    ASSERT_GT(opening, 0);
    for (long n = 0; n < opening; ++n) {
        const std::string text = OpenFailingAllocation(n);
        EXPECT_TRUE(text == "Error in CFenIOStruct: cannot instantiate Msxml.DOMDocument\n" ||
                    text == "Error in CFenIOStruct: cannot open the file\n" || text.empty())
            << "allocation " << n << ": " << text;
    }
}

} // namespace
