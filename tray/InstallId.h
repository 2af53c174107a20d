// The installation id that the helper and the main program share in the
// registry (HKEY_CURRENT_USER\Software\Morvane, value "MUID").
#pragma once

#include <windows.h>

#include <string>

// The id stored under root\keyPath; a missing value is made and stored. The
// key itself is never created: empty when it can't be opened, when the value
// has another type than a string, or when a new id can't be stored.
std::wstring ReadInstallId(HKEY root, const wchar_t* keyPath);
std::wstring ReadInstallId();

// Eight hexadecimal digits, the date (year modulo 100 without a leading zero,
// month, day), four hexadecimal digits, the time of day (hours, minutes,
// seconds), eight hexadecimal digits.
std::wstring MakeInstallId(const SYSTEMTIME& date, const SYSTEMTIME& time);
// The same with the local clock, read once for the date and once for the time.
std::wstring MakeInstallId();
