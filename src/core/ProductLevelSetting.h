// The product level a new logger gets, from the environment variable
// ANNALIST_PRODUCT_LEVEL: "earlier" or "current" (the default, also for any
// other value), without regard to case.
#pragma once

#include "report/ProductLevel.h"

ProductLevel ReadProductLevelSetting();
