#include "annalist/OutputBounds.h"

#include <vector>

#include "annalist/TextConversion.h"

namespace {

bool IsSeparator(WCHAR c) { return c == '\\' || c == '/'; }

std::vector<WideString> Parts(const WideString& path)
{
    std::vector<WideString> parts;
    WideString part;
    for (WCHAR c : path) {
        if (IsSeparator(c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    parts.push_back(part);
    return parts;
}

// Windows drops trailing dots and blanks from a name, so ".. " and "..." may
// mean the parent there too: a part of dots and blanks only, with two dots
// or more, counts as "..".
bool IsParent(const WideString& part)
{
    int dots = 0;
    for (WCHAR c : part) {
        if (c == '.')
            ++dots;
        else if (c != ' ')
            return false;
    }
    return dots >= 2;
}

bool IsCurrent(const WideString& part)
{
    if (part.empty())
        return true;
    for (WCHAR c : part)
        if (c != '.' && c != ' ')
            return false;
    return !IsParent(part);
}

// Walks the parts from `level`; false when some part goes above level 0.
// The last part is a name whatever it spells when `lastIsName` (the logger
// appends a number to it).
bool StaysInside(const std::vector<WideString>& parts, int& level, bool lastIsName)
{
    for (size_t i = 0; i < parts.size(); ++i) {
        if (lastIsName && i + 1 == parts.size()) {
            ++level;
        } else if (IsParent(parts[i])) {
            if (--level < 0)
                return false;
        } else if (!IsCurrent(parts[i])) {
            ++level;
        }
    }
    return true;
}

std::string Quoted(const WideString& text) { return "\"" + Utf8FromWide(text) + "\""; }


} // namespace

std::string OutsideProblem(const WideString& base, const OutputSettings& settings)
{
    // How deep below the base the ReportPath value lies, after its own "..".
    std::vector<WideString> baseParts, pathParts;
    int depth = 0;
    for (const WideString& part : Parts(base))
        if (!IsCurrent(part))
            baseParts.push_back(part);
    std::vector<WideString> path = Parts(settings.reportPath);
    for (const WideString& part : path) {
        if (IsParent(part)) {
            if (!pathParts.empty())
                pathParts.pop_back();
        } else if (!IsCurrent(part)) {
            pathParts.push_back(part);
        }
    }
    bool inside = pathParts.size() >= baseParts.size();
    for (size_t i = 0; inside && i < baseParts.size(); ++i)
        inside = baseParts[i] == pathParts[i]; // the same text: a name in another case is refused too
    if (!inside)
        return "ReportPath " + Quoted(settings.reportPath) + " lies outside the results folder " + Quoted(base);
    depth = static_cast<int>(pathParts.size() - baseParts.size());

    if (settings.directory != W(".") && !StaysInside(Parts(settings.directory), depth, false))
        return "the \"Directory\" setting " + Quoted(settings.directory) + " leads outside the results folder " +
               Quoted(base);
    // Iteration folders lie in an action folder ("Act0", or "BC1\Act0").
    ++depth;
    if (!StaysInside(Parts(settings.iterDir), depth, true))
        return "the \"IterDir\" setting " + Quoted(settings.iterDir) + " leads outside the results folder " +
               Quoted(base);
    return std::string();
}

std::string UnusableSettingProblem(const OutputSettings& settings)
{
    if (HasLoneSurrogate(settings.directory))
        return "the \"Directory\" setting holds a lone surrogate, which no file name can hold";
    if (HasLoneSurrogate(settings.iterDir))
        return "the \"IterDir\" setting holds a lone surrogate, which no file name can hold";
    return std::string();
}
