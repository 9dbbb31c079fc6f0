// The icons of a node: each distinct icon named by the description is copied
// once per run into the results folder's Icons folder, and the description
// gets the file numbers as "IconIndex" and "IconSelIndex". Without a results
// folder nothing is written anywhere, so the description keeps the numbers
// the host gave.
#include "core/AnnalistImp.h"

void CAnnalistImp::ResolveNodeIcons(CDescription& description)
{
    if (!HasResultsFolder())
        return;
    HRESULT hr = m_iconNumbering.ResolveNodeIcons(description.Dictionary(), m_resultsFolder.c_str());
    if (FAILED(hr))
        throw CDescriptionFailure{hr};
}

void CAnnalistImp::ResetIconNumbering()
{
    m_iconNumbering.ResetRun();
}
