// CNonCopyable: a base for a class that owns something (a file, a store, a
// stream) and so is neither copied nor assigned.
#pragma once

class CNonCopyable {
public:
    CNonCopyable(const CNonCopyable&) = delete;
    CNonCopyable& operator=(const CNonCopyable&) = delete;

protected:
    CNonCopyable() = default;
    ~CNonCopyable() = default;
};
