// The icon files of a run. A node names its icons by where they live: an icon
// group in a module's resources ("DllPAth" naming the module, or "LocalDll"
// for this library's own, with "DllIconIndex" and "DllIconSelIndex") or an
// .ico file ("DllPAth" ending in ".ico"). Each distinct icon is copied once
// into the results folder as "Icons\<number>.ico", and the node's description
// gets the file numbers as "IconIndex" and "IconSelIndex" (0: no icon).
//
// Numbers grow during a run, skipping files that already exist in the Icons
// folder (from an earlier run into the same folder), and start again from 1
// after ResetRun.
//
// An icon whose source cannot be loaded gives 0, and its key keeps 0 for the
// rest of the run: later nodes naming it get 0 as well (their selected icon
// falls back to their normal one, as for the first node), without a new
// attempt to load it, and never the number of another icon.
#pragma once

#include <map>

#include "pal/pal.h"
#include "text/BstrString.h"

class CIconNumbering {
public:
    // The next icon number back to 1, the icon cache emptied.
    void ResetRun();

    // The first number from `first` on whose file "Icons\<number>.ico" does
    // not exist in the results folder, with that file's full path.
    static LONG FindFreeIconNumber(const WCHAR* resultsFolder, LONG first, CBstrString& path);

    // Reads "DllPAth", "DllIconIndex" and "DllIconSelIndex" from the
    // description, copies icons not yet copied in this run into the results
    // folder, and writes "IconIndex" and "IconSelIndex" (VT_I4) into the
    // description. Without "DllPAth" or "DllIconIndex" both are 0. Nothing
    // happens without a description. Returns S_OK, or the failure with which
    // the dictionary answered a read or write (the work ends there).
    HRESULT ResolveNodeIcons(IDictionary* description, const WCHAR* resultsFolder);

    LONG NextIconNumber() const { return m_nextIconNumber; }

private:
    // The file number of the icon under `key`: the cached one, or a new one
    // when the icon loads and is written to targetPath. 0 when it fails now
    // or failed before.
    LONG IconFileNumber(const WideString& key, const CBstrString& path, bool isIconFile, LONG resourceNumber,
                        const CBstrString& targetPath);

    LONG m_nextIconNumber = 1;
    std::map<WideString, LONG> m_iconCache; // icon key -> file number (0: failed to load)
};
