#include "host/InstallationDirCache.h"

#include "host/HostApplication.h"

bool CInstallationDirCache::Get(CBstrString& folder)
{
    if (m_folder.IsEmpty()) {
        IQlxApplication* application = ConnectHostApplication();
        if (application) {
            CBstrString name(W("Installation Dir"));
            VARIANT value;
            VariantInit(&value);
            if (SUCCEEDED(application->GetValue(name.Get(), &value)) && V_VT(&value) == VT_BSTR)
                m_folder = CBstrString::FromBstr(V_BSTR(&value));
            VariantClear(&value);
            application->Release();
        }
    }
    folder = m_folder;
    return !folder.IsEmpty();
}
