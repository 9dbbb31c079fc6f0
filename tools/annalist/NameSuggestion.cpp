#include "annalist/NameSuggestion.h"

#include <algorithm>

size_t EditDistance(const std::string& from, const std::string& to)
{
    // Three rows of the usual table: the one before the previous one is
    // needed for swaps.
    std::vector<size_t> before(to.size() + 1), previous(to.size() + 1), current(to.size() + 1);
    for (size_t j = 0; j <= to.size(); ++j)
        previous[j] = j;
    for (size_t i = 1; i <= from.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= to.size(); ++j) {
            size_t cost = from[i - 1] == to[j - 1] ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && from[i - 1] == to[j - 2] && from[i - 2] == to[j - 1])
                current[j] = std::min(current[j], before[j - 2] + 1);
        }
        before.swap(previous);
        previous.swap(current);
    }
    return previous[to.size()];
}

std::string ClosestName(const std::string& word, const std::vector<std::string>& names)
{
    const size_t allowed = std::min<size_t>(3, std::max<size_t>(1, word.size() / 3));
    std::string best;
    size_t bestDistance = allowed + 1;
    for (const std::string& name : names) {
        size_t distance = EditDistance(word, name);
        if (distance > 0 && distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}
