// The icon files of a run. A node names its icons by where they live: an icon
// group in a module's resources ("DllPAth" naming the module, or "LocalDll"
// for this library's own, with "DllIconIndex" and "DllIconSelIndex") or an
// .ico file ("DllPAth" ending in ".ico"). Each distinct icon is copied once
// into the results folder as "Icons\<number>.ico"; the node gets the file
// numbers (0: no icon), and its description gets them as "IconIndex" and
// "IconSelIndex" for the host.
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

class CDescription;
class CResultsFolder;
struct EventNode;

// The "DllPAth" of this library's own icons.
extern const WCHAR kLocalIconModule[];

// The file numbers of a node's icons: normal and selected (0: none).
struct NodeIconNumbers {
    LONG normal = 0;
    LONG selected = 0;
};

// The node takes the numbers worked out for it, or, when none were (no
// results folder), the ones the host put into the description ("IconIndex",
// "IconSelIndex").
void TakeNodeIcons(EventNode& node, CDescription& description, const NodeIconNumbers* worked);

class CIconNumbering {
public:
    // The next icon number back to 1, the icon cache emptied.
    void ResetRun();

    // The first number from `first` on whose file "Icons\<number>.ico" does
    // not exist in the results folder, with that file's full path.
    static LONG FindFreeIconNumber(const CResultsFolder& results, LONG first, CBstrString& path);

    // The numbers of a node's icons. Their source is this library's icon
    // group `ownGroup` when that is not 0 (a start handler has put it into
    // the description for the host), else what the description names:
    // "DllPAth", "DllIconIndex" and "DllIconSelIndex" (no icons without the
    // first two). Icons not yet copied in this run are copied into the results
    // folder, and the numbers are written into the description as "IconIndex"
    // and "IconSelIndex" (VT_I4). A description that fails a call raises
    // CDescriptionFailure (the work ends there).
    NodeIconNumbers ResolveNodeIcons(CDescription& description, LONG ownGroup, const CResultsFolder& results);

    LONG NextIconNumber() const { return m_nextIconNumber; }

private:
    // The file number of the icon under `key`: the cached one, or, when the
    // icon loads, the first free number, under which it is written. 0 when it
    // fails now or failed before.
    LONG IconFileNumber(const WideString& key, const CBstrString& path, bool isIconFile, LONG resourceNumber,
                        const CResultsFolder& results);
    NodeIconNumbers NumberIcons(const CBstrString& path, LONG index, LONG selectedIndex,
                                const CResultsFolder& results);

    LONG m_nextIconNumber = 1;
    std::map<WideString, LONG> m_iconCache; // icon key -> file number (0: failed to load)
    WideString m_key;                       // the key being looked up
    // The last icons numbered (steps mostly name the same ones): their
    // numbers stand as long as the cache does.
    struct LastIcons {
        bool valid = false;
        CBstrString path;
        LONG index = 0;
        LONG selectedIndex = 0;
        NodeIconNumbers numbers;
    } m_last;
};
