// The host product's objects that reach the logger through event
// descriptions: the custom report object of a checkpoint and the parameters of
// a test or action (the picture objects are in HostPictureInterfaces.h).
// Their identifiers and the methods around the ones the logger calls belong to
// the host; only the positions of the called methods matter, so the other
// slots are declared as placeholders that the logger never calls.
#pragma once

#include "pal/pal.h"

extern "C" const IID IID_IKovCustomReport;
extern "C" const IID IID_IKovParameters;
extern "C" const IID IID_IKovParameterCollection;
extern "C" const IID IID_IKovParameter;

// The custom report object of a checkpoint or output step ("CustomObjUnk").
struct IKovCustomReport : public IUnknown {
    // Method 1: the report text for the step, given the step's viewer-type value.
    STDMETHOD(GetReportText)(BSTR* pText, BSTR* pViewType) = 0;
};

// One parameter of a test or action.
struct IKovParameter : public IUnknown {
    STDMETHOD(get_Name)(BSTR* pName) = 0;          // method 1
    STDMETHOD(get_Direction)(LONG* pDirection) = 0; // method 2: 0 input, 1 output
    STDMETHOD(get_Value)(VARIANT* pValue) = 0;     // method 3
};

// The parameters of a test or action.
struct IKovParameterCollection : public IUnknown {
    STDMETHOD(get_Count)(LONG* pCount) = 0;                       // method 1
    STDMETHOD(Reserved2)() = 0;                                   // method 2
    STDMETHOD(Reserved3)() = 0;                                   // method 3
    STDMETHOD(get_Item)(LONG index, IKovParameter** ppItem) = 0; // method 4, zero-based
};

// The parameters object of a description ("ArgumentsDispatch").
struct IKovParameters : public IUnknown {
    STDMETHOD(get_Parameters)(IKovParameterCollection** ppCollection) = 0; // method 1
};
