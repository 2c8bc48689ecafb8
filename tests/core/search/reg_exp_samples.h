// Patterns and texts for the tests that compare a way of matching in parts with the engine's
// one pass over the whole text: a table of awkward patterns, and random patterns and texts
// from small grammars.
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace quonder {

// Matches as [begin, end) pairs, in order.
using Matches = std::vector<std::pair<size_t, size_t>>;

// Patterns that put a literal's reasoning and the edges of a part to the test.
extern const std::vector<std::u16string> kSamplePatterns;

// A random text of up to 30 fragments: literals and their near misses, line feeds of every
// kind, characters of one to four bytes; with `with_lone_surrogates`, unpaired surrogates too.
std::u16string RandomText(std::mt19937& rng, bool with_lone_surrogates);

// A random pattern of atoms, quantifiers, groups and alternatives.
std::u16string RandomPattern(std::mt19937& rng, int depth = 0);

}  // namespace quonder
