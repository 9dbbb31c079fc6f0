#include "core/ProductLevelSetting.h"

#include "pal/pal.h"

ProductLevel ReadProductLevelSetting()
{
    WCHAR value[16] = {};
    DWORD length = GetEnvironmentVariableW(W("ANNALIST_PRODUCT_LEVEL"), value, 16);
    if (length > 0 && length < 16 && PAL_wcsicmp(value, W("earlier")) == 0)
        return ProductLevel::Earlier;
    return ProductLevel::Current;
}
