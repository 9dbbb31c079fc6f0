// A host application object for tests: registered in the process's class
// table for the life of the object, it records every message it is asked to
// show and answers as the test says.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "host/HostApplication.h"
#include "pal/pal.h"

namespace test {

struct HostMessage {
    WideString text;
    bool textIsNull = false;
    WideString caption;
    bool captionIsNull = false;
    LONG style = 0;
    LONG a = 0;
    LONG b = 0;
};

class FakeHostApplication {
public:
    FakeHostApplication();
    ~FakeHostApplication();
    FakeHostApplication(const FakeHostApplication&) = delete;
    FakeHostApplication& operator=(const FakeHostApplication&) = delete;

    bool Registered() const { return m_cookie != 0; }

    // The answer to each message (given the message and its number, 0 for the
    // first); by default IDCANCEL. Messages are answered one at a time, on
    // the thread that asks (the logger's writer thread too).
    std::function<LONG(const HostMessage&, size_t)> answer;
    // The "Installation Dir" value: VT_EMPTY unless set.
    VARIANT installationDir;

    std::vector<HostMessage> messages;
    int valueRequests = 0;

    // Every reference the fake objects handed out has been given back.
    bool AllReleased() const;

private:
    class Application;
    class Factory;
    Factory* m_factory = nullptr;
    DWORD m_cookie = 0;
    std::mutex m_messageLock;
};

} // namespace test
