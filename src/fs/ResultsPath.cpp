#include "fs/ResultsPath.h"

CBstrString JoinResultsPath(const WCHAR* resultsFolder, const WCHAR* relative)
{
    CBstrString path(resultsFolder);
    if (relative && *relative) {
        if (relative[0] != '\\')
            path += W("\\");
        path += relative;
    }
    return path;
}
