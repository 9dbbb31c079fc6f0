// Logs a small run through the public API of an installed Annalist: a test
// with a passed and a failed step, into the folder named by the argument.
// The settings are read from the registry root SOFTWARE\AnnalistConsumer.
// Exit status 0 when every call succeeded.
#include <annalist/annalist.h>

#include <cstdio>
#include <string>

namespace {

int g_failures = 0;

void Check(HRESULT hr, const char* what)
{
    if (FAILED(hr)) {
        std::fprintf(stderr, "consumer: %s failed: 0x%08X\n", what, static_cast<unsigned>(hr));
        ++g_failures;
    }
}

std::basic_string<OLECHAR> FromUtf8(const char* text)
{
    std::basic_string<OLECHAR> wide;
    for (const char* p = text; *p; ++p)
        wide += static_cast<OLECHAR>(static_cast<unsigned char>(*p)); // ASCII only here
    return wide;
}

// One entry of a description: a text or an integer value.
void PutText(IDictionary* description, const char* key, const char* text)
{
    VARIANT name, value;
    name.vt = VT_BSTR;
    name.bstrVal = AnnalistAllocString(FromUtf8(key).c_str());
    value.vt = VT_BSTR;
    value.bstrVal = AnnalistAllocString(FromUtf8(text).c_str());
    Check(description->put_Item(&name, &value), key);
    AnnalistVariantClear(&name);
    AnnalistVariantClear(&value);
}

void PutNumber(IDictionary* description, const char* key, LONG number)
{
    VARIANT name, value;
    name.vt = VT_BSTR;
    name.bstrVal = AnnalistAllocString(FromUtf8(key).c_str());
    value.vt = VT_I4;
    value.lVal = number;
    Check(description->put_Item(&name, &value), key);
    AnnalistVariantClear(&name);
}

// LogEvent with a fresh description that `fill` completes.
template <class Fill>
void Log(ILogMedia3* logger, const char* type, LONG parent, LONG id, Fill fill)
{
    IDictionary* description = nullptr;
    Check(AnnalistCreateDescription(&description), "AnnalistCreateDescription");
    if (!description)
        return;
    fill(description);
    BSTR eventType = AnnalistAllocString(FromUtf8(type).c_str());
    VARIANT now;
    now.vt = VT_EMPTY;
    Check(logger->LogEvent(eventType, description, parent, id, now), type);
    AnnalistFreeString(eventType);
    description->Release();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer RESULTS_DIR\n");
        return 2;
    }
    ILogMedia3* logger = nullptr;
    Check(AnnalistCreateLogger(&logger), "AnnalistCreateLogger");
    if (!logger)
        return 1;

    BSTR root = AnnalistAllocString(u"SOFTWARE\\AnnalistConsumer");
    Check(logger->SetRegistryRoot(root), "SetRegistryRoot");
    AnnalistFreeString(root);
    BSTR folder = AnnalistAllocString(FromUtf8(argv[1]).c_str());
    Check(logger->put_ReportPath(folder), "ReportPath");
    AnnalistFreeString(folder);

    IAnnalistAdditionalInfo2* info = nullptr;
    Check(logger->QueryInterface(IID_IAnnalistAdditionalInfo2, reinterpret_cast<void**>(&info)),
          "QueryInterface(IAnnalistAdditionalInfo2)");
    if (info) {
        LONG disabled = -1;
        BSTR replay = AnnalistAllocString(u"Replay");
        Check(info->IsEventTypeDisabled(replay, &disabled), "IsEventTypeDisabled");
        if (disabled != 0) {
            std::fprintf(stderr, "consumer: the settings do not enable \"Replay\" steps\n");
            ++g_failures;
        }
        AnnalistFreeString(replay);
        info->Release();
    }

    Log(logger, "StartRepLog", 0, 0, [](IDictionary*) {});
    Log(logger, "StartTest", 0, 1, [](IDictionary* d) { PutText(d, "TestName", "ConsumerRun"); });
    Log(logger, "Replay", 1, 2, [](IDictionary* d) {
        PutText(d, "PlainTextNodeName", "Login");
        PutText(d, "StepPlainTxt", "Signed in");
        PutNumber(d, "Status", kovPass);
    });
    Log(logger, "Replay", 1, 3, [](IDictionary* d) {
        PutText(d, "PlainTextNodeName", "Checkout");
        PutText(d, "StepPlainTxt", "The total is wrong");
        PutNumber(d, "Status", kovFail);
    });
    Log(logger, "EndTest", 1, 0, [](IDictionary*) {});
    Log(logger, "EndRepLog", 0, 0, [](IDictionary*) {});
    logger->Release();
    return g_failures == 0 ? 0 : 1;
}
