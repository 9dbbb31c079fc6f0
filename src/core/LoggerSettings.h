// CLoggerSettings: what a logger is told by its host and keeps across runs.
// The registry root names a key below HKEY_LOCAL_MACHINE that holds the event
// types the logger records as steps ("Eve1", "Eve2", ...), the stem of the
// iteration folders ("IterDir", "Row" when missing) and the subfolder of the
// report path that becomes the results folder ("Directory"); the filter says
// which steps are recorded by status.
#pragma once

#include <set>
#include <string_view>

#include "core/LoggerInterfaces.h"
#include "pal/pal.h"
#include "text/BstrString.h"

class CLoggerSettings {
public:
    // Keeps the root and reads the event types below it (added to the ones
    // known already) and the iteration folder prefix; nothing is read when
    // the key cannot be opened.
    void SetRegistryRoot(BSTR root);
    // "Directory" below the registry root; false when the key or the value
    // cannot be read.
    bool ReadResultsDirectory(CBstrString& directory) const;

    bool IsEnabledEventType(BSTR eventType) const;
    const CBstrString& IterationFolderPrefix() const noexcept { return m_iterationFolderPrefix; }

    LONG Filter() const noexcept { return m_filter; }
    void SetFilter(LONG filter) noexcept { m_filter = filter; }

private:
    CBstrString m_registryRoot;
    std::set<WideString, std::less<>> m_enabledEventTypes; // looked up by a view of the text
    CBstrString m_iterationFolderPrefix{W("Row")};
    LONG m_filter = rfEnableAll;
};
