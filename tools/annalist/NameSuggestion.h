// The closest of some known names to a word that is none of them, for
// "did you mean ...?" in messages about a misspelt option, event type or
// description key.
#pragma once

#include <string>
#include <vector>

// The number of single-character insertions, deletions, substitutions and
// swaps of two neighbours that make one text of the other.
size_t EditDistance(const std::string& from, const std::string& to);

// The name closest to `word` when one is close enough to be a likely
// misspelling (a third of its length, at least one and at most three edits;
// the first one listed wins a tie); "" otherwise.
std::string ClosestName(const std::string& word, const std::vector<std::string>& names);
