#include "core/search/reg_exp_samples.h"

namespace quonder {

// Patterns that put the literal's reasoning to the test: matches before the literal's line,
// lookarounds on either side, anchors and \b at the window's edges, adjacent and overlapping
// candidates, case, escapes, and patterns whose matches cross lines.
// clang-format off
const std::vector<std::u16string> kSamplePatterns = {
    u"\\w+_t\\b", u"[A-Z][a-z]+Exception", u"\\w+@\\w+\\.(com|org)", u"(foo|bar)_(\\w+)",
    u"\\d{4}-\\d{2}", u"(?i)deprecat\\w+", u"\\b_M_\\w+\\(", u"^\\w*_t", u"_t$", u"\\w*_t(?=\\r?$)",
    u"(?<=a)\\w*_t", u"(?<!\\w)\\w+_t", u"\\B_t", u"_t\\w*", u"a*_ta*", u"(_t)+", u"_t_t|_t",
    u"(?:a|b)_t", u"x?_t", u".*_t", u".*?_t.*", u"[^a]{0,3}_t", u"[^\\r\\n]*_t", u"\\S*_t\\S*",
    u"\\s?_t", u"\\s{0,2}_t\\R?", u"_t\\r\\n\\w", u"(?s)._t.", u"(?s)_t.{0,5}", u"\\n_t",
    u"\\r_t|_t\\n", u"_t[\\s\\S]", u"(?i)_T\\w", u"(?i:a)_t", u"a(?i)_T(?-i)b", u"(?i)k_t",
    u"(?i)\u00e9_t", u"\u00e9+_t", u"\\x{1F600}_t", u"\\x5f\\x74", u"\\Q_t\\E+", u"\\v?_t",
    u"\\t_t", u"_t{2}", u"(?=\\w*_t)\\w", u"\\b\\w+\\b_t", u"$\\n?_t", u"_t\\b|\\b_t",
    u"_T(?i)x|_Ta", u"(?m)^_t", u"[\\p{Cc}]_t", u"[^\\p{L}]_t", u"[[:^alpha:]]_t", u"[[:cntrl:]]_t",
    u"[\\x00-\\x0d]_t", u"\\s_t", u"\\W_t\\d?", u"\\A\\w*_t", u"_t\\z", u"_t\\Z",
    // A negated class that names a character beyond ASCII still holds all the others.
    u"[^\u00e9]+_t", u"[^a\u3000]_t", u"[^\u00e9-\u00ff]{1,3}_t",
    // So does one that names a POSIX class or a property beside \D \W \S: PCRE2 then lets the
    // negation reach past U+00FF.
    u"[^\\D[:alpha:]]_t", u"[^\\W\\p{L}]+_t",
    // Ignoring case, [:lower:] and [:upper:] are [:alpha:], and their negations [:^alpha:].
    u"[^[:^lower:]]_t", u"[^[:^upper:]]{2}_t",
    // (?<* opens a lookbehind, not a group named up to the next '>'.
    u"(?<*\\w)(?:>|x)_t",
    // A group repeated no times still makes PCRE2 anchor the pattern, or try it at line starts
    // only, when its last branch is anchored: the engine then matches only at a search's start.
    u"(?:x|^){0}_t", u"(?:x|\\A){0}\\w_t",
};
// clang-format on

namespace {

// Text fragments: the literal, its near misses, line feeds of every kind, and characters of
// one to four bytes (KELVIN SIGN and LONG S fold onto k and s).
const std::vector<std::u16string> kFragments = {
    u"_t", u"_T",         u"_",     u"t",        u"a",      u"b",      u"x",          u"K",
    u"k",  u"\u212A",     u"s",     u"\u017F",   u"foo",    u"bar",    u"com",        u".org",
    u"@",  u"Exception",  u"Ab",    u"2024",     u"-",      u"12",     u" ",          u"\t",
    u"\r", u"\n",         u"\r\n",  u"\v",       u"\u00e9", u"\u00c9", u"\U0001F600", u"\uFFFD",
    u"(",  u"deprecated", u"_M_x(", u"DEPRECAT",
};

}  // namespace

std::u16string RandomText(std::mt19937& rng, bool with_lone_surrogates) {
  std::uniform_int_distribution<size_t> pick(0, kFragments.size() - 1);
  std::uniform_int_distribution<int> length(0, 30);
  std::u16string text;
  for (int i = length(rng); i > 0; --i) {
    text += kFragments[pick(rng)];
    if (with_lone_surrogates && rng() % 17 == 0) text += rng() % 2 ? u'\xD83D' : u'\xDE00';
  }
  return text;
}

// A random pattern of atoms, quantifiers, groups and alternatives.
std::u16string RandomPattern(std::mt19937& rng, int depth) {
  static const std::vector<std::u16string> atoms = {
      u"_t",  u"_t",  u"a",        u"t",      u"x",     u"\\w",       u"\\d",   u"\\s",
      u"\\S", u"\\W", u".",        u"[a-c_]", u"[^a]",  u"[^\\r\\n]", u"\\b",   u"^",
      u"$",   u"\\r", u"\\n",      u"\\R",    u"(?=a)", u"(?<=_)",    u"(?!x)", u"\\x{e9}",
      u"k",   u"\\.", u"[\\s\\S]", u"\\B",    u"(?i)",  u"(?-i)",     u"(?s)",  u"\\z"};
  static const std::vector<std::u16string> quantifiers = {
      u"", u"", u"", u"*", u"+", u"?", u"{2}", u"{0,2}", u"{1,3}", u"+?", u"*+"};
  std::u16string pattern;
  const int length = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < length; ++i) {
    if (depth < 2 && rng() % 6 == 0) {
      pattern += u"(" + RandomPattern(rng, depth + 1);
      if (rng() % 2) pattern += u"|" + RandomPattern(rng, depth + 1);
      pattern += u")";
    } else {
      pattern += atoms[rng() % atoms.size()];
    }
    pattern += quantifiers[rng() % quantifiers.size()];
  }
  if (rng() % 8 == 0) pattern += u"|" + RandomPattern(rng, depth + 1);
  return pattern;
}

}  // namespace quonder
