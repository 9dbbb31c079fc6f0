#include "host/HostMessages.h"

#include "host/HostApplication.h"
#include "host/InstallationDirCache.h"
#include "text/ResourceStrings.h"

namespace {

// The caption of a plain message box when the caller gives none.
const WCHAR kDefaultCaption[] = W("Corvane");

} // namespace

int ShowHostMessage(const WCHAR* text, UINT style, int a, int b, const WCHAR* caption)
{
    CInterfacePtr<IQlxApplication> application = ConnectHostApplication();
    if (!application)
        return MessageBoxW(nullptr, text, caption ? caption : kDefaultCaption, style);

    // The host gets a null caption as null: it then uses a caption of its own.
    CBstrString hostText(text);
    CBstrString hostCaption;
    if (caption)
        hostCaption = caption;
    LONG answer = -1;
    application->ShowMessage(hostText.Get(), static_cast<LONG>(style), a, b, hostCaption.Get(), &answer);
    return answer;
}

int ShowHostMessageById(UINT id, UINT style, int a, int b, const WCHAR* caption, HMODULE module)
{
    // A string that cannot be loaded is shown as an empty message.
    CBstrString text;
    text.LoadString(module ? module : GetResourceModule(), id);
    return ShowHostMessage(text.c_str(), style, a, b, caption);
}

bool GetInstallationDir(CBstrString& folder)
{
    // Process-wide, filled on the thread that runs the logger only.
    static CInstallationDirCache cache;
    return cache.Get(folder);
}
