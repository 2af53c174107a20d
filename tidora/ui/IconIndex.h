// The icons of files in a page's image collection, each file's icon taken
// once and then found in a cache. Window thread only.
#pragma once

#include "ImageCollection.h"

#include <string>
#include <unordered_map>

// Icon source text ("C:\App\app.exe" or "C:\App\app.exe,2") to its index in
// the collection.
using TIconCache = std::unordered_map<std::wstring, int>;

// The collection's index of the icon that `source` names, taken from the
// file (or the program its type is opened with) and added on first use.
// 0, the collection's first image, for a file that does not exist or has no
// icon; `defaultIndex` for an empty source or when anything else fails.
int GetIconIndex(TIconCache& cache, TImageCollection& images, const std::wstring& source, int defaultIndex);

// Adds the icon resource `name` of the program at 16 pixels, or the
// system's generic program icon when the program has no such resource (so
// that the indexes after it hold); the index it got.
int AddResourceIcon(TImageCollection& images, const wchar_t* name);
