// Events, waiting, critical sections, Sleep and the interlocked operations.
#include <chrono>
#include <thread>

#include "pal/pal.h"
#include "kernel/waitable.h"

// ---- Signals ----

void PalSignal::Set()
{
    // Notified under the lock: a waiter that wakes up may close the last
    // handle at once, and must not destroy the signal while it is notified.
    std::lock_guard<std::mutex> guard(m_lock);
    m_signaled = true;
    if (m_manualReset)
        m_changed.notify_all();
    else
        m_changed.notify_one();
}

void PalSignal::Reset()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_signaled = false;
}

bool PalSignal::IsSet() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_signaled;
}

bool PalSignal::Wait(DWORD milliseconds)
{
    std::unique_lock<std::mutex> lock(m_lock);
    auto isSet = [this] { return m_signaled; };
    if (milliseconds == INFINITE)
        m_changed.wait(lock, isSet);
    else if (!m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), isSet))
        return false;
    if (!m_manualReset)
        m_signaled = false;
    return true;
}

// ---- Events ----

namespace {

struct PalEvent : PalWaitable {
    PalEvent(bool manualReset, bool initialState) : signal(std::make_shared<PalSignal>(manualReset, initialState)) {}
    std::shared_ptr<PalSignal> Signal() const override { return signal; }

    std::shared_ptr<PalSignal> signal;
};

} // namespace

extern "C" HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName)
{
    if (lpName && *lpName) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    try {
        return PalRegisterHandle(new PalEvent(bManualReset != FALSE, bInitialState != FALSE));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

namespace {

// Sets or resets the signal of the event behind a handle.
BOOL ChangeEvent(HANDLE handle, void (PalSignal::*change)())
{
    PalEvent* event = PalHandleAs<PalEvent>(handle);
    if (!event)
        return FALSE;
    std::shared_ptr<PalSignal> signal = event->signal;
    (signal.get()->*change)();
    return TRUE;
}

} // namespace

extern "C" BOOL SetEvent(HANDLE hEvent) { return ChangeEvent(hEvent, &PalSignal::Set); }

extern "C" BOOL ResetEvent(HANDLE hEvent) { return ChangeEvent(hEvent, &PalSignal::Reset); }

extern "C" DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    PalWaitable* object = PalHandleAs<PalWaitable>(hHandle);
    if (!object)
        return WAIT_FAILED;
    std::shared_ptr<PalSignal> signal = object->Signal();
    return signal->Wait(dwMilliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

extern "C" void Sleep(DWORD dwMilliseconds)
{
    if (dwMilliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (dwMilliseconds == INFINITE)
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

// ---- Critical sections: recursive locks, as on Windows ----

namespace {

std::recursive_mutex* LockOf(LPCRITICAL_SECTION section) { return static_cast<std::recursive_mutex*>(section->impl); }

} // namespace

extern "C" void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    lpCriticalSection->impl = new std::recursive_mutex();
}

extern "C" void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) { LockOf(lpCriticalSection)->lock(); }

extern "C" void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) { LockOf(lpCriticalSection)->unlock(); }

extern "C" void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    delete LockOf(lpCriticalSection);
    lpCriticalSection->impl = nullptr;
}

// ---- Interlocked operations (full barriers) ----

extern "C" LONG InterlockedIncrement(LONG volatile* Addend) { return __atomic_add_fetch(Addend, 1, __ATOMIC_SEQ_CST); }

extern "C" LONG InterlockedDecrement(LONG volatile* Addend) { return __atomic_sub_fetch(Addend, 1, __ATOMIC_SEQ_CST); }

extern "C" LONG InterlockedExchange(LONG volatile* Target, LONG Value)
{
    return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}
