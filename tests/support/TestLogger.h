// Helpers of the tests that drive the logger through its interface methods: a
// minimal COM object around CAnnalistImp with stand-ins for the host's
// libraries, event descriptions, event times, and the logger's registry
// settings.
#pragma once

#include <atomic>
#include <initializer_list>
#include <memory>
#include <string>

#include "core/AnnalistImp.h"
#include "pal/interface_ptr.h"
#include "pal/pal.h"
#include "support/TestSupport.h"

namespace test {

// The host's libraries as a test gives them: the stand-ins it names, else the
// libraries of the process (the pointers must outlive the logger's use).
class CTestHostLibraries : public CHostLibraries {
public:
    const ExecutionEngineEntryPoints* engine = nullptr;
    const DiagnosticLogEntryPoints* log = nullptr;

protected:
    bool FindExecutionEngine(ExecutionEngineEntryPoints& entry) override;
    bool FindDiagnosticLog(DiagnosticLogEntryPoints& entry) override;
};

// The logger as a plain COM object: QueryInterface answers IUnknown, IDispatch,
// ILogMedia2/3 and the two custom interfaces from an interface table; the
// IDispatch methods are not implemented. Its reference count is its own
// (CComObject makes the logger with its default constructor, and a test
// chooses the level). Created with one reference (see CreateTestLogger).
class CTestLogger : public CAnnalistImp {
public:
    explicit CTestLogger(ProductLevel level = ProductLevel::Current);

    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    using CAnnalistImp::Results;
    using CAnnalistImp::Run;
    using CAnnalistImp::Settings;
    using CAnnalistImp::State;
    // The node of an id in the registry; null when it is not there.
    const EventNode* Node(LONG id) const { return Run().FindNode(id); }

    // Stand-ins for the host's libraries, used in place of looking them up in
    // the process (the pointers must outlive the logger's use of them).
    void UseExecutionEngine(const ExecutionEngineEntryPoints* entry) { TestHost().engine = entry; }
    void UseDiagnosticLog(const DiagnosticLogEntryPoints* entry) { TestHost().log = entry; }

protected:
    ~CTestLogger() override = default;

private:
    CTestHostLibraries& TestHost() { return static_cast<CTestHostLibraries&>(Host()); }

    std::atomic<ULONG> m_references{0};
};

typedef CInterfacePtr<CTestLogger> TestLoggerPtr;
TestLoggerPtr CreateTestLogger(ProductLevel level = ProductLevel::Current);

// An event description: a new dictionary (the real Scripting.Dictionary on
// Windows, the layer's stand-in elsewhere). Texts are given in UTF-8.
class CTestDescription {
public:
    CTestDescription();
    CTestDescription(const CTestDescription&) = delete;
    CTestDescription& operator=(const CTestDescription&) = delete;

    IDispatch* Dispatch() const { return m_dictionary.Get(); }
    IDictionary* Dictionary() const { return m_dictionary.Get(); }

    CTestDescription& Text(const char* key, const std::string& value);
    CTestDescription& Int(const char* key, LONG value);
    CTestDescription& Flag(const char* key, bool value);
    CTestDescription& Object(const char* key, IUnknown* object);
    // Any value (copied).
    CTestDescription& Value(const char* key, VARIANT* value);

    // Whether the key exists (Exists; nothing is added).
    bool Has(const char* key) const;
    // A copy of the value; VT_EMPTY, without adding the key, when it is missing.
    void Get(const char* key, VARIANT* out) const;
    // The value as text or integer (converted); empty or 0 when missing.
    std::string GetText(const char* key) const;
    LONG GetInt(const char* key) const;
    VARTYPE GetType(const char* key) const;
    LONG Count() const;

private:
    CInterfacePtr<IDictionary> m_dictionary;
};

// A VT_DATE variant of a local time.
VARIANT EventDate(int year, int month, int day, int hour, int minute, int second);

// The logger's registry settings in a key of their own below
// HKEY_LOCAL_MACHINE\SOFTWARE\AnnalistTests, removed with the object. On the
// POSIX layer the registry lives in a temporary folder meanwhile.
class CTestSettings {
public:
    CTestSettings();
    ~CTestSettings();
    CTestSettings(const CTestSettings&) = delete;
    CTestSettings& operator=(const CTestSettings&) = delete;

    // The key below HKEY_LOCAL_MACHINE, as SetRegistryRoot takes it.
    const WideString& Root() const { return m_root; }
    void SetText(const char* name, const std::string& value);
    // "Eve1", "Eve2", ... in order.
    void SetEventTypes(std::initializer_list<const char*> types);
    // The settings of a usual run: "Directory" ".", the types the logger knows
    // by name as "Eve1".."Eve7", "IterDir" not set.
    void SetUsual();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
    WideString m_root;
};

// A new logger that is ready to log into a results folder (registry root and,
// unless it is empty, results path set). Events are logged through Log, each one second after the
// previous one, from 2024-03-05 14:05:05 plus firstSecond.
class CTestRun {
public:
    explicit CTestRun(const CTestSettings& settings, const WideString& resultsPath = WideString(),
                      ProductLevel level = ProductLevel::Current, int firstSecond = 0);

    CTestLogger* Logger() const { return m_logger.Get(); }
    // Destroys the logger (as a host would release it).
    void ReleaseLogger() { m_logger.Release(); }

    HRESULT Log(const char* type, LONG id, LONG parent, const CTestDescription* description = nullptr);
    HRESULT Log(const char* type, LONG id, LONG parent, const CTestDescription& description)
    {
        return Log(type, id, parent, &description);
    }
    // The time the next event will carry.
    VARIANT NextTime() const;

private:
    TestLoggerPtr m_logger;
    int m_second = 0;
};

// The text of the thread's error information (empty when there is none); the
// information is taken.
std::string TakeErrorDescription();

} // namespace test
