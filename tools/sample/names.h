// Name material of the synthetic world: katakana syllables (full width, half
// width and Latin letters) and Japanese family and given names.
#pragma once
#include <string>

#include "rng.h"

namespace kvsample {

struct NameParts {
    std::string full;   // UTF-8 full-width katakana
    std::string half;   // UTF-8 half-width katakana
    std::string latin;  // upper-case Latin letters
};

// A horse-like name of minChars..maxChars syllables.
NameParts horseName(Rng& rng, int minSyl, int maxSyl);

struct PersonName {
    std::string full;    // family and given name in kanji
    std::string shortName;  // at most 4 characters
    std::string half;    // half-width katakana
    std::string latin;
};
PersonName personName(Rng& rng, bool female);

// Names of stables, farms and owners (UTF-8).
std::string farmName(Rng& rng);
std::string ownerCompanyName(Rng& rng);

}  // namespace kvsample
