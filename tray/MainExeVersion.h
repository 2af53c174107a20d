// The file version of the main program installed beside the helper.
#pragma once

#include <string>

// The four numbers of the file's fixed file version formatted with `format`
// (wsprintfW rules: "%d.%d.%d" uses the first three); "0.0.0.0" whatever the
// format when the file or its version block can't be read.
std::wstring FileVersionText(const std::wstring& file, const wchar_t* format);

// FileVersionText of own folder + "Tidora.exe".
std::wstring MainExeVersion(const wchar_t* format);
