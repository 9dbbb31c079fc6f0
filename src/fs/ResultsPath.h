// Paths inside the results folder.
#pragma once

#include "pal/pal.h"
#include "text/BstrString.h"

// A relative path joined to the results folder: an empty relative path gives
// the folder itself, one that begins with a backslash is appended as it is,
// any other follows the folder and a backslash.
CBstrString JoinResultsPath(const WCHAR* resultsFolder, const WCHAR* relative);
