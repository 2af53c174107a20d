// The installation id: 32 characters that tell installations apart, kept
// per user in HKEY_CURRENT_USER\Software\Morvane, value "MUID".
#pragma once

#include <string>

// Random hex, date yymmdd, random hex, time hhnnss, random hex.
std::wstring MakeInstallId();
// The stored id, made and stored first when it is missing; empty when the
// registry cannot be read or written.
std::wstring ReadInstallId();
