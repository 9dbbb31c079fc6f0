// Test entry point: COM is initialised on the main thread, as a host would.
#include <gtest/gtest.h>

#include "pal/pal.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    HRESULT hr = CoInitialize(nullptr);
    int result = RUN_ALL_TESTS();
    if (SUCCEEDED(hr))
        CoUninitialize();
    return result;
}
