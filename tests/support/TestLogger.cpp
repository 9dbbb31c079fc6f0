#include "support/TestLogger.h"

#include <gtest/gtest.h>

#include <atomic>

#include "pal/com_object.h"
#include "pal/variant_holder.h"
#include "support/PlatformTestSupport.h"

namespace test {

// ---- CTestLogger ----

bool CTestHostLibraries::FindExecutionEngine(ExecutionEngineEntryPoints& entry)
{
    if (!engine)
        return CHostLibraries::FindExecutionEngine(entry);
    entry = *engine;
    return entry.getExecutionEngine && entry.getExecutableTest;
}

bool CTestHostLibraries::FindDiagnosticLog(DiagnosticLogEntryPoints& entry)
{
    if (!log)
        return CHostLibraries::FindDiagnosticLog(entry);
    entry = *log;
    return true;
}

CTestLogger::CTestLogger(ProductLevel level) : CAnnalistImp(level, std::make_unique<CTestHostLibraries>()) {}

STDMETHODIMP CTestLogger::QueryInterface(REFIID riid, void** ppvObject)
{
    static const ComInterfaceEntry table[] = {
        ComEntry<CTestLogger, IUnknown, ILogMedia3>(IID_IUnknown),
        ComEntry<CTestLogger, IDispatch, ILogMedia3>(IID_IDispatch),
        ComEntry<CTestLogger, ILogMedia2>(IID_ILogMedia2),
        ComEntry<CTestLogger, ILogMedia3>(IID_ILogMedia3),
        ComEntry<CTestLogger, IAnnalistAdditionalInfo, IAnnalistAdditionalInfo2>(IID_IAnnalistAdditionalInfo),
        ComEntry<CTestLogger, IAnnalistAdditionalInfo2>(IID_IAnnalistAdditionalInfo2),
        ComTableEnd(),
    };
    return QueryComInterface(this, table, riid, ppvObject);
}

STDMETHODIMP_(ULONG) CTestLogger::AddRef() { return ++m_references; }

STDMETHODIMP_(ULONG) CTestLogger::Release()
{
    ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP CTestLogger::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP CTestLogger::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP CTestLogger::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP CTestLogger::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

TestLoggerPtr CreateTestLogger(ProductLevel level)
{
    return TestLoggerPtr(new CTestLogger(level));
}

// ---- CTestDescription ----

namespace {

class CTextKey : public CVariantValue {
public:
    explicit CTextKey(const char* key) { SetText(Utf8ToUtf16(key).c_str()); }
};

} // namespace

CTestDescription::CTestDescription()
{
    HRESULT hr = PAL_CreateDictionary(m_dictionary.Out());
    EXPECT_TRUE(SUCCEEDED(hr) && m_dictionary) << "no dictionary: " << std::hex << hr;
}

CTestDescription& CTestDescription::Value(const char* key, VARIANT* value)
{
    CTextKey name(key);
    EXPECT_EQ(S_OK, m_dictionary->put_Item(name.Get(), value)) << key;
    return *this;
}

CTestDescription& CTestDescription::Text(const char* key, const std::string& value)
{
    CVariantValue item;
    WideString wide = Utf8ToUtf16(value);
    item.SetOwnedText(SysAllocStringLen(wide.c_str(), static_cast<UINT>(wide.size())));
    return Value(key, item.Get());
}

CTestDescription& CTestDescription::Int(const char* key, LONG value)
{
    CVariantValue item;
    return Value(key, item.SetI4(value).Get());
}

CTestDescription& CTestDescription::Flag(const char* key, bool value)
{
    CVariantValue item;
    return Value(key, item.SetBool(value).Get());
}

CTestDescription& CTestDescription::Object(const char* key, IUnknown* object)
{
    CVariantValue item;
    return Value(key, item.SetUnknown(object).Get());
}

bool CTestDescription::Has(const char* key) const
{
    CTextKey name(key);
    VARIANT_BOOL exists = VARIANT_FALSE;
    m_dictionary->Exists(name.Get(), &exists);
    return exists != VARIANT_FALSE;
}

void CTestDescription::Get(const char* key, VARIANT* out) const
{
    VariantClear(out);
    if (!Has(key))
        return;
    CTextKey name(key);
    m_dictionary->get_Item(name.Get(), out);
}

std::string CTestDescription::GetText(const char* key) const
{
    CVariantValue value;
    Get(key, value.Get());
    CVariantValue text;
    if (FAILED(VariantChangeType(text.Get(), value.Get(), 0, VT_BSTR)))
        return std::string();
    return Utf16ToUtf8(WideString(V_BSTR(text.Get()), SysStringLen(V_BSTR(text.Get()))));
}

LONG CTestDescription::GetInt(const char* key) const
{
    CVariantValue value;
    Get(key, value.Get());
    CVariantValue number;
    if (FAILED(VariantChangeType(number.Get(), value.Get(), 0, VT_I4)))
        return 0;
    return V_I4(number.Get());
}

VARTYPE CTestDescription::GetType(const char* key) const
{
    CVariantValue value;
    Get(key, value.Get());
    return value.Type();
}

LONG CTestDescription::Count() const
{
    LONG count = 0;
    m_dictionary->get_Count(&count);
    return count;
}

VARIANT EventDate(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    VARIANT date;
    VariantInit(&date);
    V_VT(&date) = VT_DATE;
    SystemTimeToVariantTime(&time, &V_DATE(&date));
    return date;
}

// ---- CTestSettings ----

class CTestSettings::Impl {
public:
    TempFolder registryFolder;
    ScopedEnvironment registry{W("ANNALIST_REGISTRY"), registryFolder.Wide().c_str()};
    HKEY key = nullptr;
};

CTestSettings::CTestSettings() : m_impl(new Impl())
{
    static std::atomic<int> counter{0};
    CBstrString name;
    name.Format(W("SOFTWARE\\AnnalistTests\\%u-%d-%u"), static_cast<unsigned>(GetCurrentProcessId()), ++counter,
                static_cast<unsigned>(GetCurrentThreadId()));
    m_root.assign(name.c_str(), name.Length());
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_root.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                     &m_impl->key, nullptr);
    EXPECT_EQ(ERROR_SUCCESS, status);
}

CTestSettings::~CTestSettings()
{
    if (m_impl->key)
        RegCloseKey(m_impl->key);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_root.c_str());
    // The parent goes too once no test uses it (it fails while others do).
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, W("SOFTWARE\\AnnalistTests"));
}

void CTestSettings::SetText(const char* name, const std::string& value)
{
    WideString wideName = Utf8ToUtf16(name);
    WideString wideValue = Utf8ToUtf16(value);
    LSTATUS status =
        RegSetValueExW(m_impl->key, wideName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wideValue.c_str()),
                       static_cast<DWORD>((wideValue.size() + 1) * sizeof(WCHAR)));
    EXPECT_EQ(ERROR_SUCCESS, status) << name;
}

void CTestSettings::SetEventTypes(std::initializer_list<const char*> types)
{
    int number = 0;
    for (const char* type : types)
        SetText(("Eve" + std::to_string(++number)).c_str(), type);
}

void CTestSettings::SetUsual()
{
    SetText("Directory", ".");
    SetEventTypes({"Replay", "User", "Error", "Verification", "Transaction", "Context", "Table"});
}

// ---- CTestRun ----

CTestRun::CTestRun(const CTestSettings& settings, const WideString& resultsPath, ProductLevel level, int firstSecond)
    : m_logger(CreateTestLogger(level)), m_second(firstSecond)
{
    CBstrString root(settings.Root().c_str());
    EXPECT_EQ(S_OK, m_logger->SetRegistryRoot(root.Get()));
    if (resultsPath.empty())
        return;
    CBstrString path(resultsPath.c_str());
    EXPECT_EQ(S_OK, m_logger->put_ReportPath(path.Get()));
}

VARIANT CTestRun::NextTime() const
{
    return EventDate(2024, 3, 5, 14, 5 + (5 + m_second) / 60, (5 + m_second) % 60);
}

HRESULT CTestRun::Log(const char* type, LONG id, LONG parent, const CTestDescription* description)
{
    CBstrString eventType(Utf8ToUtf16(type).c_str());
    VARIANT time = NextTime();
    ++m_second;
    return m_logger->LogEvent(eventType.Get(), description ? description->Dispatch() : nullptr, parent, id, time);
}

std::string TakeErrorDescription()
{
    CInterfacePtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Out()) != S_OK || !info)
        return std::string();
    CBstrString text;
    info->GetDescription(text.Out());
    return Utf16ToUtf8(WideString(text.c_str(), text.Length()));
}

} // namespace test
