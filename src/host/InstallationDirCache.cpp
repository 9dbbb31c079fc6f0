#include "host/InstallationDirCache.h"

#include "host/HostApplication.h"
#include "pal/variant_holder.h"

bool CInstallationDirCache::Get(CBstrString& folder)
{
    if (m_folder.IsEmpty()) {
        CInterfacePtr<IQlxApplication> application = ConnectHostApplication();
        if (application) {
            CBstrString name(W("Installation Dir"));
            CVariantValue value;
            if (SUCCEEDED(application->GetValue(name.Get(), value.Get())) && value.Type() == VT_BSTR)
                m_folder = CBstrString::FromBstr(V_BSTR(value.Get()));
        }
    }
    folder = m_folder;
    return !folder.IsEmpty();
}
