// Threads, events, critical sections and interlocked operations as the writer
// thread of the report uses them, checked against the platform in both builds.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <vector>

#include "pal/pal.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

struct Gate {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD seenId = 0;
    ~Gate()
    {
        CloseHandle(go);
        CloseHandle(done);
    }
};

DWORD WINAPI WaitForGate(LPVOID parameter)
{
    Gate* gate = static_cast<Gate*>(parameter);
    gate->seenId = GetCurrentThreadId();
    WaitForSingleObject(gate->go, INFINITE);
    SetEvent(gate->done);
    return 42;
}

DWORD WINAPI ReturnSeven(LPVOID) { return 7; }

} // namespace

TEST(Threads, RunAtOnceAndSignalTheirHandleWhenEnded)
{
    Gate gate;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitForGate, &gate, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, GetCurrentThreadId());

    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));

    SetEvent(gate.go);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(gate.seenId, id);
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    // An ended thread stays signalled.
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(thread));
}

TEST(Threads, ClosingTheHandleDoesNotStopTheThread)
{
    Gate gate;
    HANDLE thread = CreateThread(nullptr, 0, WaitForGate, &gate, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    SetEvent(gate.go);
    EXPECT_EQ(WaitForSingleObject(gate.done, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(Events, AutoResetWaitConsumesTheSignal)
{
    HANDLE event = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    // Signals do not count up: two sets release one wait.
    EXPECT_TRUE(SetEvent(event));
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(SetEvent(event));
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(event);
}

TEST(Events, ManualResetStaysSignalledUntilReset)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(event);
}

TEST(Events, TimedWaitsLastTheirTime)
{
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    Clock::time_point start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 60), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_GE(MillisecondsSince(start), 45);
    CloseHandle(event);

    start = Clock::now();
    Sleep(30);
    EXPECT_GE(MillisecondsSince(start), 20);
}

TEST(Events, BadHandlesFail)
{
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetEvent(nullptr));
    EXPECT_FALSE(ResetEvent(nullptr));

    HANDLE thread = CreateThread(nullptr, 0, ReturnSeven, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    SetLastError(0);
    EXPECT_FALSE(SetEvent(thread)); // a thread is not an event
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);

    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    EXPECT_TRUE(CloseHandle(event));
}

namespace {

DWORD WINAPI SetAndReturn(LPVOID parameter)
{
    Sleep(1); // the waiter is blocked by now
    SetEvent(static_cast<HANDLE>(parameter));
    return 0;
}

} // namespace

// The writer sets its "finished" event as its last act, and the logger closes
// the event as soon as its wait returns: the event must not go away under
// the thread that sets it.
TEST(Events, WaiterMayCloseTheEventAtOnce)
{
    for (int i = 0; i < 100; ++i) {
        HANDLE event = CreateEventW(nullptr, i % 2, FALSE, nullptr);
        HANDLE thread = CreateThread(nullptr, 0, SetAndReturn, event, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        ASSERT_EQ(WaitForSingleObject(event, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
        CloseHandle(event);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
}

namespace {

// The report writer's pattern: a queue under a critical section, an
// auto-reset event for "records queued" and one for "writer finished".
struct WriterQueue {
    CRITICAL_SECTION lock;
    HANDLE queued = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE finished = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::deque<int> records;
    std::vector<int> written;
    WriterQueue() { InitializeCriticalSection(&lock); }
    ~WriterQueue()
    {
        DeleteCriticalSection(&lock);
        CloseHandle(queued);
        CloseHandle(finished);
    }
};

DWORD WINAPI Writer(LPVOID parameter)
{
    WriterQueue* queue = static_cast<WriterQueue*>(parameter);
    for (;;) {
        EnterCriticalSection(&queue->lock);
        size_t size = queue->records.size();
        LeaveCriticalSection(&queue->lock);
        if (size == 0) {
            WaitForSingleObject(queue->queued, INFINITE);
            continue;
        }
        EnterCriticalSection(&queue->lock);
        int record = queue->records.front();
        queue->records.pop_front();
        LeaveCriticalSection(&queue->lock);
        if (record < 0)
            break;
        queue->written.push_back(record);
    }
    SetEvent(queue->finished);
    return 1;
}

} // namespace

TEST(Events, QueueAndWriterThreadLoseNothing)
{
    WriterQueue queue;
    HANDLE thread = CreateThread(nullptr, 0, Writer, &queue, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const int count = 20000;
    for (int i = 0; i <= count; ++i) {
        EnterCriticalSection(&queue.lock);
        queue.records.push_back(i == count ? -1 : i);
        LeaveCriticalSection(&queue.lock);
        SetEvent(queue.queued);
    }
    EXPECT_EQ(WaitForSingleObject(queue.finished, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(thread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
    ASSERT_EQ(queue.written.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(queue.written[static_cast<size_t>(i)], i);
}

namespace {

struct Shared {
    CRITICAL_SECTION lock;
    long long plain = 0;
    LONG volatile interlocked = 0;
    HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

const int kRounds = 20000;

DWORD WINAPI Count(LPVOID parameter)
{
    Shared* shared = static_cast<Shared*>(parameter);
    for (int i = 0; i < kRounds; ++i) {
        EnterCriticalSection(&shared->lock);
        EnterCriticalSection(&shared->lock); // recursive
        ++shared->plain;
        LeaveCriticalSection(&shared->lock);
        LeaveCriticalSection(&shared->lock);
        InterlockedIncrement(&shared->interlocked);
    }
    return 0;
}

DWORD WINAPI EnterOnce(LPVOID parameter)
{
    Shared* shared = static_cast<Shared*>(parameter);
    EnterCriticalSection(&shared->lock);
    SetEvent(shared->entered);
    LeaveCriticalSection(&shared->lock);
    return 0;
}

} // namespace

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads)
{
    Shared shared;
    InitializeCriticalSection(&shared.lock);

    EnterCriticalSection(&shared.lock);
    EnterCriticalSection(&shared.lock);
    HANDLE other = CreateThread(nullptr, 0, EnterOnce, &shared, 0, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(WaitForSingleObject(shared.entered, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    LeaveCriticalSection(&shared.lock);
    EXPECT_EQ(WaitForSingleObject(shared.entered, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    LeaveCriticalSection(&shared.lock);
    EXPECT_EQ(WaitForSingleObject(shared.entered, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    WaitForSingleObject(other, INFINITE);
    CloseHandle(other);

    std::vector<HANDLE> threads;
    for (int i = 0; i < 4; ++i)
        threads.push_back(CreateThread(nullptr, 0, Count, &shared, 0, nullptr));
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    EXPECT_EQ(shared.plain, 4 * kRounds);
    EXPECT_EQ(shared.interlocked, 4 * kRounds);
    DeleteCriticalSection(&shared.lock);
    CloseHandle(shared.entered);
}

TEST(Interlocked, ReturnNewOrOldValues)
{
    LONG volatile value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedExchange(&value, -3), 5);
    EXPECT_EQ(value, -3);
}
