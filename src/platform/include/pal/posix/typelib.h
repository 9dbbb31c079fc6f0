// Type libraries, as far as registration needs them. There is no type-library
// engine here: a type library is made from a description of its identity and
// of the interfaces that registration lists (PAL_CreateTypeLib), and answers
// GetLibAttr, GetDocumentation of the library and GetTypeInfoCount.
// RegisterTypeLib and UnRegisterTypeLib write and remove the keys that Windows
// writes for a type library:
//
//   HKCR\TypeLib\{LIBID}\<major>.<minor>          = documentation string
//        ...\FLAGS                                = flags, decimal
//        ...\<lcid>\win32 (or win64)             = the path given
//        ...\HELPDIR                              = the help folder given
//   HKCR\Interface\{IID}                          = interface name
//        ...\ProxyStubClsid, ProxyStubClsid32    = the automation proxy
//        ...\TypeLib                              = {LIBID}, "Version" = "<major>.<minor>"
//
// (version numbers and the locale in hexadecimal, as Windows writes them).
#pragma once

#include "pal/posix/oleauto.h"

#ifndef TYPE_E_ELEMENTNOTFOUND
#define TYPE_E_ELEMENTNOTFOUND _HRESULT_TYPEDEF_(0x8002802BL)
#endif

typedef enum tagSYSKIND { SYS_WIN16 = 0, SYS_WIN32 = 1, SYS_MAC = 2, SYS_WIN64 = 3 } SYSKIND;

typedef enum tagTYPEKIND {
    TKIND_ENUM = 0,
    TKIND_RECORD,
    TKIND_MODULE,
    TKIND_INTERFACE,
    TKIND_DISPATCH,
    TKIND_COCLASS,
    TKIND_ALIAS,
    TKIND_UNION,
    TKIND_MAX
} TYPEKIND;

typedef enum tagREGKIND { REGKIND_DEFAULT = 0, REGKIND_REGISTER, REGKIND_NONE } REGKIND;

typedef struct tagTLIBATTR {
    GUID guid;
    LCID lcid;
    SYSKIND syskind;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    WORD wLibFlags;
} TLIBATTR, *LPTLIBATTR;

struct ITypeComp;

struct ITypeLib : public IUnknown {
    STDMETHOD_(UINT, GetTypeInfoCount)() PURE;
    STDMETHOD(GetTypeInfo)(UINT index, ITypeInfo** ppTInfo) PURE;
    STDMETHOD(GetTypeInfoType)(UINT index, TYPEKIND* pTKind) PURE;
    STDMETHOD(GetTypeInfoOfGuid)(REFGUID guid, ITypeInfo** ppTinfo) PURE;
    STDMETHOD(GetLibAttr)(TLIBATTR** ppTLibAttr) PURE;
    STDMETHOD(GetTypeComp)(ITypeComp** ppTComp) PURE;
    STDMETHOD(GetDocumentation)(INT index, BSTR* pBstrName, BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                BSTR* pBstrHelpFile) PURE;
    STDMETHOD(IsName)(LPOLESTR szNameBuf, ULONG lHashVal, BOOL* pfName) PURE;
    STDMETHOD(FindName)(LPOLESTR szNameBuf, ULONG lHashVal, ITypeInfo** ppTInfo, MEMBERID* rgMemId,
                        USHORT* pcFound) PURE;
    STDMETHOD_(void, ReleaseTLibAttr)(TLIBATTR* pTLibAttr) PURE;
};

extern "C" const IID IID_ITypeLib;

// One interface that registration lists under HKCR\Interface.
struct PAL_TYPELIB_INTERFACE {
    IID iid;
    LPCOLESTR name;
};

struct PAL_TYPELIB_DESCRIPTION {
    TLIBATTR attributes;
    LPCOLESTR name;
    LPCOLESTR docString;
    const PAL_TYPELIB_INTERFACE* interfaces;
    UINT interfaceCount;
};

extern "C" {
// A type library from its description (the description's texts and interface
// table must outlive the object).
HRESULT PAL_CreateTypeLib(const PAL_TYPELIB_DESCRIPTION* description, ITypeLib** pptlib);

// Writes the keys above. Only type libraries made by PAL_CreateTypeLib can be
// registered (others give E_INVALIDARG). A null help folder writes no HELPDIR.
// The texts are not const, as in the Windows headers.
HRESULT RegisterTypeLib(ITypeLib* ptlib, LPOLESTR szFullPath, LPOLESTR szHelpDir);

// Removes what RegisterTypeLib wrote for that version, locale and system:
// the interfaces whose TypeLib key names the library and version, the path
// key, and the locale, version and library keys as they become empty.
// TYPE_E_REGISTRYACCESS when the library is not registered.
HRESULT UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind);
}
