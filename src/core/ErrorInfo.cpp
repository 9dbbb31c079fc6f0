#include "core/ErrorInfo.h"

#include "pal/interface_ptr.h"

HRESULT SetErrorInfoText(const WCHAR* message, REFGUID guid, DWORD helpContext, const WCHAR* helpFile,
                         const WCHAR* source)
{
    if (!message)
        return E_INVALIDARG;
    CInterfacePtr<ICreateErrorInfo> create;
    HRESULT hr = CreateErrorInfo(create.Out());
    if (FAILED(hr))
        return hr;
    if (!create)
        return E_FAIL;
    hr = create->SetGUID(guid);
    if (SUCCEEDED(hr))
        hr = create->SetDescription(const_cast<LPOLESTR>(message));
    if (SUCCEEDED(hr) && helpContext != 0)
        hr = create->SetHelpContext(helpContext);
    if (SUCCEEDED(hr) && helpFile)
        hr = create->SetHelpFile(const_cast<LPOLESTR>(helpFile));
    if (SUCCEEDED(hr) && source)
        hr = create->SetSource(const_cast<LPOLESTR>(source));
    if (FAILED(hr))
        return hr;
    CInterfacePtr<IErrorInfo> info;
    hr = info.QueryFrom(create.Get(), IID_IErrorInfo);
    if (FAILED(hr))
        return hr;
    return SetErrorInfo(0, info.Get());
}
