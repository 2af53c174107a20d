// The tray helper's texts in the user's language.
#pragma once

#include <windows.h>

#include <string>

// The user's default locale identifier, read once at start (SetUserLcid).
LCID UserLcid();
void SetUserLcid(LCID lcid);

// The text for `lcid` from the helper's table; the key itself (English) when
// the table has no entry for that text and identifier.
std::wstring LocalText(const std::wstring& text, LCID lcid);
// The same for UserLcid().
std::wstring LocalText(const std::wstring& text);
