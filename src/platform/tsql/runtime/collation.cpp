// Letter case and the collation TSQL: SQL Server's default collations
// (SQL_Latin1_General_CP1_CI_AS, Chinese_PRC_CI_AS) compare without regard to case, of every
// alphabet's letters, but with regard to accents; trailing blanks do not count. An accented letter
// sorts right after its base letter (e < é < f); other characters sort by their code.
#include <sqlite3.h>

#include <cstdint>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// Pairs of letters where the capital is the even (or the odd) code of each pair.
bool InPairs(char16_t c, char16_t first, char16_t last) {
  return c >= first && c <= last;
}

// The capital of a small letter when both are in a block of pairs: `capital_even` says whether
// the block's capitals sit on even codes.
char16_t PairCapital(char16_t c, bool capital_even) {
  const bool even = (c & 1U) == 0;
  return even == capital_even ? c : static_cast<char16_t>(c - 1);
}

char16_t PairSmall(char16_t c, bool capital_even) {
  const bool even = (c & 1U) == 0;
  return even == capital_even ? static_cast<char16_t>(c + 1) : c;
}

struct PairBlock {
  char16_t first;
  char16_t last;
  bool capital_even;
};

// Blocks where capital and small letter are neighbours.
constexpr PairBlock kPairBlocks[] = {
    {0x0100, 0x012F, true}, {0x0132, 0x0137, true},  {0x0139, 0x0148, false},
    {0x014A, 0x0177, true}, {0x0179, 0x017E, false}, {0x01CD, 0x01DC, false},
    {0x01DE, 0x01EF, true}, {0x01F8, 0x021F, true},  {0x0222, 0x0233, true},
    {0x0460, 0x0481, true}, {0x048A, 0x04BF, true},  {0x04C1, 0x04CE, false},
    {0x04D0, 0x052F, true}, {0x1E00, 0x1E95, true},  {0x1EA0, 0x1EFF, true},
};

}  // namespace

char16_t UpperUnit(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
  if (c == 0xFF) return 0x178;
  for (const PairBlock& block : kPairBlocks) {
    if (InPairs(c, block.first, block.last)) return PairCapital(c, block.capital_even);
  }
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return static_cast<char16_t>(c - 37);
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x3B1 && c <= 0x3CB) return static_cast<char16_t>(c - 32);
  if (c == 0x3CC) return 0x38C;
  if (c >= 0x3CD && c <= 0x3CE) return static_cast<char16_t>(c - 63);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  if (c >= 0x561 && c <= 0x586) return static_cast<char16_t>(c - 48);
  if (c >= 0x2170 && c <= 0x217F) return static_cast<char16_t>(c - 16);  // Roman numerals
  if (c >= 0x24D0 && c <= 0x24E9) return static_cast<char16_t>(c - 26);  // circled letters
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 32);  // full-width
  return c;
}

char16_t LowerUnit(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  if (c == 0x178) return 0xFF;
  for (const PairBlock& block : kPairBlocks) {
    if (InPairs(c, block.first, block.last)) return PairSmall(c, block.capital_even);
  }
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 37);
  if (c == 0x38C) return 0x3CC;
  if (c >= 0x38E && c <= 0x38F) return static_cast<char16_t>(c + 63);
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  if (c >= 0x531 && c <= 0x556) return static_cast<char16_t>(c + 48);
  if (c >= 0x2160 && c <= 0x216F) return static_cast<char16_t>(c + 16);
  if (c >= 0x24B6 && c <= 0x24CF) return static_cast<char16_t>(c + 26);
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);
  return c;
}

std::u16string UpperText(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out)
    c = UpperUnit(c);
  return out;
}

std::u16string LowerText(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out)
    c = LowerUnit(c);
  return out;
}

namespace {

// The letter an accented Latin-1 capital is written on (À..Ý, Ÿ): its weight before the accent.
char32_t BaseLetter(char32_t capital) {
  if (capital < 0xC0 || capital > 0x178) return capital;
  static constexpr char kBase[] = "AAAAAA\0CEEEEIIII\0NOOOOO\0OUUUUY";  // from U+00C0
  if (capital <= 0xDD) {
    const char base = kBase[capital - 0xC0];
    return base ? static_cast<char32_t>(base) : capital;
  }
  return capital == 0x178 ? U'Y' : capital;
}

// The characters of a text one at a time, from UTF-16 or UTF-8, each folded to its capital.
class FoldedUtf16 {
 public:
  FoldedUtf16(const void* data, int bytes)
      : at_(static_cast<const char16_t*>(data)), end_(at_ + bytes / 2) {
    while (end_ > at_ && end_[-1] == u' ')
      --end_;
  }
  bool AtEnd() const { return at_ == end_; }
  char32_t Next() { return UpperUnit(*at_++); }

 private:
  const char16_t* at_;
  const char16_t* end_;
};

class FoldedUtf8 {
 public:
  FoldedUtf8(const void* data, int bytes)
      : at_(static_cast<const unsigned char*>(data)), end_(at_ + bytes) {
    while (end_ > at_ && end_[-1] == ' ')
      --end_;
  }
  bool AtEnd() const { return at_ == end_; }
  char32_t Next() {
    const unsigned char lead = *at_++;
    if (lead < 0x80) return UpperUnit(lead);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t code = lead & (0x3FU >> extra);
    for (int i = 0; i < extra && at_ < end_ && (*at_ & 0xC0U) == 0x80U; ++i)
      code = (code << 6) | (*at_++ & 0x3FU);
    return code <= 0xFFFF ? UpperUnit(static_cast<char16_t>(code)) : code;
  }

 private:
  const unsigned char* at_;
  const unsigned char* end_;
};

template <class Folded>
int CompareFolded(Folded a_start, Folded b_start) {
  // First the letters without their accents, then (when those are alike) with them.
  int accents = 0;
  Folded a = a_start;
  Folded b = b_start;
  while (!a.AtEnd() && !b.AtEnd()) {
    const char32_t ca = a.Next();
    const char32_t cb = b.Next();
    if (ca == cb) continue;
    const char32_t base_a = BaseLetter(ca);
    const char32_t base_b = BaseLetter(cb);
    if (base_a != base_b) return base_a < base_b ? -1 : 1;
    if (accents == 0) accents = ca < cb ? -1 : 1;
  }
  if (!a.AtEnd()) return 1;
  if (!b.AtEnd()) return -1;
  return accents;
}

int CollateUtf16(void*, int a_bytes, const void* a, int b_bytes, const void* b) {
  return CompareFolded(FoldedUtf16(a, a_bytes), FoldedUtf16(b, b_bytes));
}

int CollateUtf8(void*, int a_bytes, const void* a, int b_bytes, const void* b) {
  return CompareFolded(FoldedUtf8(a, a_bytes), FoldedUtf8(b, b_bytes));
}

}  // namespace

int CompareText(std::u16string_view a, std::u16string_view b) {
  return CompareFolded(FoldedUtf16(a.data(), static_cast<int>(a.size() * 2)),
                       FoldedUtf16(b.data(), static_cast<int>(b.size() * 2)));
}

int InstallCollation(sqlite3* db) {
  int rc =
      sqlite3_create_collation_v2(db, "TSQL", SQLITE_UTF16_ALIGNED, nullptr, CollateUtf16, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_collation_v2(db, "TSQL", SQLITE_UTF8, nullptr, CollateUtf8, nullptr);
  }
  return rc;
}

}  // namespace tsql::detail
