// Comparison of texts in the order of a language (Polish letters in their
// place in the alphabet: a ą b c ć ...), as the system's string comparison
// does for sorted views. Case-sensitive: texts that differ only in letter
// case are not equal, lower case first. GUI thread (the comparer is built
// once and kept).
#pragma once

#include <string_view>

namespace platform {

// <0, 0, >0 in Polish order.
int CompareLocaleText(std::string_view a, std::string_view b);

}  // namespace platform
