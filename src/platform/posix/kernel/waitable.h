// Objects a thread can wait on (events and threads). Each has a signal: a
// flag with a condition variable, reset by a successful wait when it is an
// auto-reset signal. Waiting holds the signal by a shared pointer, so closing
// the handle while another thread waits does not pull the signal from under
// the waiter.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include "kernel/handle.h"

class PalSignal {
public:
    PalSignal(bool manualReset, bool initialState) : m_manualReset(manualReset), m_signaled(initialState) {}

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits up to the time (INFINITE: no limit). True when the signal was
    // set, which an auto-reset signal consumes.
    bool Wait(DWORD milliseconds);

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    const bool m_manualReset;
    bool m_signaled;
};

struct PalWaitable : PalHandle {
    virtual std::shared_ptr<PalSignal> Signal() const = 0;
};
