// One parameter of a test or action, as its summary lists it.
#pragma once

#include <vector>

#include "text/BstrString.h"

struct SummaryParam {
    CBstrString name;
    CBstrString value;
    LONG direction = 0; // 0 input; any other value counts as output
};

typedef std::vector<SummaryParam> SummaryParamList;
