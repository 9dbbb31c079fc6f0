#include "core/IconNumbering.h"

#include <new>

#include "core/Description.h"
#include "fs/IconFiles.h"
#include "fs/ResultsFolder.h"
#include "report/EventNode.h"
#include "text/DecimalText.h"
#include "text/ResourceStrings.h"

namespace {

const LONG kMaxIconNumber = 0x7FFFFFFF;

// Whether the path names an icon file: its last four characters are ".ico",
// in any case.
bool IsIconFilePath(const CBstrString& path)
{
    const UINT length = path.Length();
    if (length < 4)
        return false;
    const WCHAR* tail = path.c_str() + length - 4;
    const char extension[] = ".ico";
    for (int i = 0; i < 4; ++i)
        if (PAL_towlower(tail[i]) != static_cast<WCHAR>(extension[i]))
            return false;
    return true;
}

// "%s%d": the module path followed by the resource number, into key (whose
// room is kept from one node to the next).
void ModuleIconKey(const CBstrString& path, LONG number, WideString& key)
{
    key.assign(path.c_str(), path.Length());
    WCHAR digits[kMaxDecimalLength];
    key.append(digits, FormatDecimal(number, digits));
}

} // namespace

const WCHAR kLocalIconModule[] = W("LocalDll");

void TakeNodeIcons(EventNode& node, CDescription& description, const NodeIconNumbers* worked)
{
    if (worked) {
        node.iconIndex = worked->normal;
        node.selectedIconIndex = worked->selected;
    } else {
        description.ReadInt(keys::IconIndex, node.iconIndex, 0);
        description.ReadInt(keys::IconSelIndex, node.selectedIconIndex, 0);
    }
}

void CIconNumbering::ResetRun()
{
    m_nextIconNumber = 1;
    m_iconCache.clear();
    m_last.valid = false;
}

LONG CIconNumbering::FindFreeIconNumber(const CResultsFolder& results, LONG first, CBstrString& path)
{
    LONG number = first;
    for (;;) {
        path = results.Join(CResultsFolder::IconFileName(number).c_str());
        if (number == kMaxIconNumber || _waccess(path.c_str(), 0) != 0)
            return number;
        ++number;
    }
}

LONG CIconNumbering::IconFileNumber(const WideString& key, const CBstrString& path, bool isIconFile,
                                    LONG resourceNumber, const CResultsFolder& results)
{
    // An icon met before keeps its number (the folder is not looked at).
    auto cached = m_iconCache.find(key);
    if (cached != m_iconCache.end())
        return cached->second;

    IconSetPtr icon;
    if (isIconFile)
        icon.reset(LoadIconFile(path.c_str()));
    else if (path == kLocalIconModule)
        icon.reset(LoadIconGroupFromModule(GetResourceModule(), kLocalIconModule, resourceNumber));
    else
        icon.reset(LoadIconGroup(path.c_str(), resourceNumber));
    if (!icon) {
        m_iconCache[key] = 0;
        return 0;
    }
    // A file that cannot be written keeps its number: the report then names
    // a missing file, and the disk-full prompt has told the user.
    CBstrString target;
    m_nextIconNumber = FindFreeIconNumber(results, m_nextIconNumber, target);
    WriteIconFile(icon.get(), target.c_str());
    LONG number = m_nextIconNumber;
    m_iconCache[key] = number;
    if (m_nextIconNumber < kMaxIconNumber)
        ++m_nextIconNumber;
    return number;
}

NodeIconNumbers CIconNumbering::ResolveNodeIcons(CDescription& description, LONG ownGroup,
                                                  const CResultsFolder& results)
{
    NodeIconNumbers numbers;
    if (ownGroup != 0) {
        numbers = NumberIcons(kLocalIconModule, ownGroup, ownGroup, results);
    } else {
        CBstrString path;
        LONG index = 0;
        const bool hasPath = description.ReadText(keys::DllPath, path);
        const bool hasIndex = description.ReadInt(keys::DllIconIndex, index, 0);
        if (hasPath && hasIndex) {
            LONG selectedIndex = index;
            description.ReadInt(keys::DllIconSelIndex, selectedIndex, index);
            numbers = NumberIcons(path, index, selectedIndex, results);
        }
    }
    description.WriteInt(keys::IconIndex, numbers.normal);
    description.WriteInt(keys::IconSelIndex, numbers.selected);
    return numbers;
}

NodeIconNumbers CIconNumbering::NumberIcons(const CBstrString& path, LONG index, LONG selectedIndex,
                                            const CResultsFolder& results)
{
    if (m_last.valid && m_last.index == index && m_last.selectedIndex == selectedIndex && m_last.path == path)
        return m_last.numbers;
    NodeIconNumbers numbers;
    const bool isIconFile = IsIconFilePath(path);
    if (isIconFile)
        m_key.assign(path.c_str(), path.Length());
    else
        ModuleIconKey(path, index, m_key);
    numbers.normal = IconFileNumber(m_key, path, isIconFile, index, results);

    if (isIconFile) {
        numbers.selected = numbers.normal;
    } else {
        ModuleIconKey(path, selectedIndex, m_key);
        numbers.selected = IconFileNumber(m_key, path, false, selectedIndex, results);
        if (numbers.selected == 0)
            numbers.selected = numbers.normal;
    }
    // Both keys are in the cache now, so the same icons give these numbers.
    m_last.path = path;
    m_last.index = index;
    m_last.selectedIndex = selectedIndex;
    m_last.numbers = numbers;
    m_last.valid = m_last.path == path;
    return numbers;
}
