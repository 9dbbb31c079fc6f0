// The host's installation folder, asked of the host application object until
// it answers with a text and then kept for good.
#pragma once

#include "text/BstrString.h"

class CInstallationDirCache {
public:
    // The folder; true when it is known (not empty). Asks the host while the
    // cache is empty; an answer that is not a text leaves it empty.
    bool Get(CBstrString& folder);

private:
    CBstrString m_folder;
};
