#include "Utf8Detect.h"

#include <string>

namespace {

bool IsContinuation(unsigned char b)
{
    return b >= 0x80 && b <= 0xBF;
}

// Length of the run of continuation bytes at `at`, counted up to four.
size_t ContinuationRun(const std::string& bytes, size_t at)
{
    size_t n = 0;
    while (n < 4 && at + n < bytes.size() && IsContinuation(static_cast<unsigned char>(bytes[at + n])))
        ++n;
    return n;
}

bool InRange(const std::string& bytes, size_t at, unsigned char low, unsigned char high)
{
    if (at >= bytes.size())
        return false;
    auto b = static_cast<unsigned char>(bytes[at]);
    return b >= low && b <= high;
}

// Whether the lead byte at `at` starts a well-formed sequence.
bool WellFormedAt(const std::string& bytes, size_t at)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const size_t run = ContinuationRun(bytes, at + 1);
    if (lead >= 0xC2 && lead <= 0xDF)
        return run == 1;
    if (lead == 0xE0)
        return InRange(bytes, at + 1, 0xA0, 0xBF) && run == 2;
    if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF)
        return run == 2;
    if (lead == 0xED)
        return InRange(bytes, at + 1, 0x80, 0x9F) && run == 2;
    if (lead == 0xF0)
        return InRange(bytes, at + 1, 0x90, 0xBF) && run == 3;
    if (lead >= 0xF1 && lead <= 0xF3)
        return run == 3;
    if (lead == 0xF4)
        return InRange(bytes, at + 1, 0x80, 0x8F) && run == 3;
    return false;  // 80-C1, F5-FF
}

}  // namespace

bool IsUTF8Stream(std::istream& stream, long long maxBytes)
{
    long long limit = 16384;
    if (maxBytes >= 0 && maxBytes < limit)
        limit = maxBytes;
    std::string bytes(static_cast<size_t>(limit), '\0');
    stream.read(bytes.data(), limit);
    bytes.resize(static_cast<size_t>(stream.gcount()));
    stream.clear();
    stream.seekg(0);
    if (bytes.empty())
        return false;

    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return true;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return WellFormedAt(bytes, i);
    return false;
}
