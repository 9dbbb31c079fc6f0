// The pause between a Retry that failed and the next disk-space prompt. It
// grows from 50 ms to 2 s, so that Retry answered again and again (by a
// person who has not yet made room, or by a script that always answers
// Retry) never makes the prompt spin.
#pragma once

#include "pal/pal.h"

class CRetryPause {
public:
    // Waits before the next prompt; call it after each Retry that failed.
    void AfterFailedRetry() noexcept
    {
        Sleep(m_next);
        m_next = m_next * 2 > kLongest ? kLongest : m_next * 2;
    }

    static const DWORD kFirst = 50;
    static const DWORD kLongest = 2000;

private:
    DWORD m_next = kFirst;
};
