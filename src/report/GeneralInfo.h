// The run's general information: behind GeneralInfo.ini and the General
// element of Results.xml. One per run, created when the results are opened;
// the computer name fills its "TestOnHost".
#pragma once

#include "text/BstrString.h"

struct GeneralInfo {
    LONG total = -1;
    LONG osVersion = -1;
    LONG globalIteration = -1;
    CBstrString product;
    CBstrString version;
    CBstrString title;
    CBstrString userName;
    CBstrString password;
    CBstrString testLocation;
    CBstrString testOnHost;
    CBstrString vaultServer;
    CBstrString vaultProject;
};

// The computer name (at most 15 characters), as the run's "TestOnHost"; false
// and empty when it cannot be read.
bool GetComputerNameText(CBstrString& name);
