// The host application object: a COM class of the host product that lives
// outside this library. A component running inside the host obtains it
// in-process through its class object and talks to the host through its
// service interface (messages the host may show or suppress during an
// unattended run, named values such as the installation folder).
//
// The host implements the interface; the library only calls it. Only the
// positions of the called methods matter, so the four slots after IUnknown,
// which the library never calls, are declared as placeholders.
#pragma once

#include "pal/interface_ptr.h"
#include "pal/pal.h"

extern "C" const CLSID CLSID_QlxApplication;
extern "C" const IID IID_IQlxApplication;

struct IQlxApplication : public IUnknown {
    STDMETHOD(Reserved4)() = 0; // methods 4 to 7: not called by the library
    STDMETHOD(Reserved5)() = 0;
    STDMETHOD(Reserved6)() = 0;
    STDMETHOD(Reserved7)() = 0;
    // Method 8: the host application's name.
    STDMETHOD(GetApplicationName)(BSTR* pName) = 0;
    // Method 9: four values of the host the library does not use.
    STDMETHOD(GetInfo)(LONG* pValue1, LONG* pValue2, LONG* pValue3, LONG* pValue4) = 0;
    // Method 10: a named value ("Installation Dir", "WindowHandle", "UIFlag").
    STDMETHOD(GetValue)(BSTR name, VARIANT* pValue) = 0;
    // Method 11: shows a message with a message-box style (MB_...); a and b
    // are passed through from the caller unchanged; a null caption asks for
    // the host's own. The answer is a dialog result code (IDOK, IDRETRY, ...).
    STDMETHOD(ShowMessage)(BSTR text, LONG style, LONG a, LONG b, BSTR caption, LONG* pAnswer) = 0;
    // Method 12: the same owned by a window.
    STDMETHOD(ShowOwnedMessage)(HWND owner, BSTR text, BSTR caption, LONG style, LONG* pAnswer) = 0;
};

// The host application object, created through its in-process class object;
// null when the host's class is not available (the library runs outside the
// host).
CInterfacePtr<IQlxApplication> ConnectHostApplication();
