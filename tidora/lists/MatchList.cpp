#include "MatchList.h"

// The entries were trimmed, expanded and case-folded when they entered the
// list (TPreparedList); a run matches a few hundred processes against a few
// hundred entries, and doing that work per call cost more than the matching.
bool MatchList(const TNameList& list, std::wstring_view text, bool fileNameMode)
{
    return list.Prepared().Matches(text, fileNameMode);
}
