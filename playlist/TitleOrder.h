#pragma once

#include <string>
#include <vector>

namespace quaverly {

// The order of titles when the list is sorted: the locale's collation when
// LC_COLLATE has rules, else (C, POSIX, C.UTF-8 ...) an ASCII order that puts
// letters together regardless of case and lower case first among equals
// ("apple" < "Apple" < "banana" < "Gamma" < "http://x" < "Zeta"). Case still
// matters: only equal texts compare equal.
//
// Returns for each position of the sorted list the index of its title in
// `titles`; the sort is stable. Keys are built once per title, so sorting
// n titles costs n key builds and O(n log n) byte comparisons.
std::vector<int> TitleOrder(const std::vector<const std::string *> &titles);

}  // namespace quaverly
