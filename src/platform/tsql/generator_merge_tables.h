// The temporary tables MERGE keeps the pairs of target and source rows in while it runs (the
// source rows with the target row each matches, the target rows no source row matches), and
// their columns: the target row's key and the number of the action the row takes (0: none).
#pragma once

namespace tsql::generation {

inline constexpr const char* kMergePairs = "\"tsql$merge\"";
inline constexpr const char* kMergeUnmatched = "\"tsql$merge_unmatched\"";
inline constexpr const char* kMergeRow = "\"tsql$row\"";
inline constexpr const char* kMergeAction = "\"tsql$action\"";

}  // namespace tsql::generation
