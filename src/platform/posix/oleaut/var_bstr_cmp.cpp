// VarBstrCmp. The POSIX layer compares texts the way the en-US sort order does
// for letters: case is ignored first, and of two texts that differ only in
// case the one with the lower-case letter at the first difference sorts
// first ("abc" < "ABC" < "abd"). Other characters compare by their UTF-16
// code units. A null BSTR equals an empty one; embedded zeros count.
#include "pal/pal.h"

extern "C" HRESULT VarBstrCmp(BSTR bstrLeft, BSTR bstrRight, LCID, ULONG dwFlags)
{
    UINT leftLength = SysStringLen(bstrLeft);
    UINT rightLength = SysStringLen(bstrRight);
    UINT common = leftLength < rightLength ? leftLength : rightLength;
    for (UINT i = 0; i < common; ++i) {
        WCHAR left = PAL_towlower(bstrLeft[i]);
        WCHAR right = PAL_towlower(bstrRight[i]);
        if (left != right)
            return left < right ? VARCMP_LT : VARCMP_GT;
    }
    if (leftLength != rightLength)
        return leftLength < rightLength ? VARCMP_LT : VARCMP_GT;
    if (dwFlags & NORM_IGNORECASE)
        return VARCMP_EQ;
    for (UINT i = 0; i < common; ++i) {
        if (bstrLeft[i] != bstrRight[i])
            return bstrLeft[i] == PAL_towlower(bstrLeft[i]) ? VARCMP_LT : VARCMP_GT;
    }
    return VARCMP_EQ;
}
