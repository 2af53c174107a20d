// Tells UTF-8 text from text in a legacy code page.
#pragma once

#include <istream>

// Reads at most min(16384, maxBytes) bytes (maxBytes < 0: no limit of its own)
// from the stream's position, rewinds the stream to 0, and answers whether
// the bytes begin with a UTF-8 byte-order mark or their first non-ASCII
// sequence is well-formed UTF-8. Pure ASCII is not UTF-8.
bool IsUTF8Stream(std::istream& stream, long long maxBytes = -1);
