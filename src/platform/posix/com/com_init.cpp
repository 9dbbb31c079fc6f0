// COM initialisation. The POSIX layer has no apartments to set up; the calls
// are counted so that CoUninitialize matches CoInitialize as on Windows.
#include "pal/pal.h"

static thread_local int t_initCount = 0;

extern "C" HRESULT CoInitializeEx(LPVOID, DWORD)
{
    return t_initCount++ == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

extern "C" void CoUninitialize(void)
{
    if (t_initCount > 0)
        --t_initCount;
}
