// The phone's order of names: the case-insensitive comparison its lists sort with.
//
// Unlike a comparison of code points, it puts punctuation and symbols before digits and
// digits before letters, sorts accented letters with their base letter (e, é, è are one letter
// that only breaks ties) and spells out ligatures (æ as "ae", ß as "ss"). Hyphens and
// apostrophes are left out of the first comparison ("co-op" sorts as "coop") and only break
// ties. Case never counts. Locale-independent.
#pragma once

#include <string_view>

namespace plat {

// <0, 0, >0 as `a` sorts before, with or after `b`.
int CollateNoCase(std::string_view a, std::string_view b);

}  // namespace plat
