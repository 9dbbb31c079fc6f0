// Threads over std::thread. The handle is signalled when the thread function
// has returned and keeps the exit code. The thread holds its own reference to
// that state, so closing the handle does not stop the thread: a thread that is
// still running is detached, one that has ended is joined.
#include <atomic>
#include <future>
#include <system_error>
#include <thread>

#include "pal/pal.h"
#include "kernel/waitable.h"

namespace {

struct ThreadState {
    std::shared_ptr<PalSignal> ended = std::make_shared<PalSignal>(true, false);
    std::atomic<DWORD> exitCode{STILL_ACTIVE};
};

struct PalThread : PalWaitable {
    ~PalThread() override
    {
        if (!thread.joinable())
            return;
        if (state->ended->IsSet() && thread.get_id() != std::this_thread::get_id())
            thread.join(); // returns at once: the thread is past its function
        else
            thread.detach();
    }
    std::shared_ptr<PalSignal> Signal() const override { return state->ended; }

    std::shared_ptr<ThreadState> state = std::make_shared<ThreadState>();
    std::thread thread;
};

} // namespace

extern "C" HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress,
                               LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId)
{
    if (!lpStartAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (dwCreationFlags & CREATE_SUSPENDED) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    PalThread* handle = nullptr;
    try {
        handle = new PalThread();
        std::shared_ptr<ThreadState> state = handle->state;
        // The new thread reports its id; it owns the promise with the creator.
        auto started = std::make_shared<std::promise<DWORD>>();
        std::future<DWORD> threadId = started->get_future();
        handle->thread = std::thread([state, lpStartAddress, lpParameter, started]() mutable {
            started->set_value(GetCurrentThreadId());
            started.reset();
            DWORD code = lpStartAddress(lpParameter);
            state->exitCode.store(code);
            state->ended->Set();
        });
        DWORD id = threadId.get();
        if (lpThreadId)
            *lpThreadId = id;
    } catch (const std::system_error&) {
        delete handle;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    } catch (const std::bad_alloc&) {
        delete handle;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return PalRegisterHandle(handle);
}

extern "C" BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode)
{
    PalThread* thread = PalHandleAs<PalThread>(hThread);
    if (!thread)
        return FALSE;
    if (!lpExitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpExitCode = thread->state->exitCode.load();
    return TRUE;
}
