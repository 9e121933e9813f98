#include "nearest_name.h"

#include <algorithm>
#include <cctype>

namespace tavprint {

namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Insertions, deletions, substitutions and swaps of two neighbours each count one.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i)
    d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j)
    d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
          Lower(a[i - 2]) == Lower(b[j - 1])) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

bool IsPrefixOf(std::string_view typed, std::string_view name) {
  return !typed.empty() && typed.size() < name.size() &&
         std::equal(typed.begin(), typed.end(), name.begin(),
                    [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

std::string NearestName(std::string_view typed, const std::vector<std::string>& known) {
  std::string best;
  std::size_t best_distance = 0;
  for (const std::string& name : known) {
    const std::size_t distance = IsPrefixOf(typed, name) ? 1 : EditDistance(typed, name);
    if (best.empty() || distance < best_distance) {
      best = name;
      best_distance = distance;
    }
  }
  const std::size_t allowed = std::max<std::size_t>(1, std::max(typed.size(), best.size()) / 3);
  return !best.empty() && best_distance <= allowed ? best : std::string();
}

}  // namespace tavprint
