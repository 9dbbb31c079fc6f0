#include "report/XmlPieces.h"

#include "report/XmlText.h"

CBstrString FormatPiece(const WCHAR* format, ...) noexcept
{
    CBstrString piece;
    va_list args;
    va_start(args, format);
    piece.FormatV(format, args);
    va_end(args);
    return piece;
}

HRESULT CopyText(CBstrString& target, const WCHAR* text) noexcept
{
    if (!text)
        text = W("");
    return target.Assign(text, static_cast<UINT>(PAL_wcslen(text)));
}

CBstrString CDataElement(const WCHAR* format, const CBstrString& value) noexcept
{
    CXmlSafeText safe(value, XmlPlace::CData);
    return FormatPiece(format, safe.c_str());
}

CBstrString OptionalCDataElement(const WCHAR* format, const CBstrString& value) noexcept
{
    if (value.IsEmpty())
        return CBstrString();
    return CDataElement(format, value);
}

HRESULT AllCopied(std::initializer_list<HRESULT> copies) noexcept
{
    for (HRESULT hr : copies)
        if (FAILED(hr))
            return E_OUTOFMEMORY;
    return S_OK;
}
