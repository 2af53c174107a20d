#include "CoffSymbols.h"

#include "Text.h"
#include "Win32Handles.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#if __has_include(<cxxabi.h>)
#include <cxxabi.h>
#define TIDORA_HAS_CXXABI 1
#endif

namespace {

constexpr size_t SymbolSize = 18;  // IMAGE_SYMBOL on disk
constexpr BYTE FunctionType = 0x20;

// The module's file, read at given offsets.
class TFile {
public:
    explicit TFile(const wchar_t* path)
        : FHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr))
    {
    }
    bool Read(DWORD offset, void* buffer, DWORD size) const
    {
        LARGE_INTEGER at;
        at.QuadPart = offset;
        DWORD got = 0;
        return FHandle && SetFilePointerEx(FHandle.Get(), at, nullptr, FILE_BEGIN) &&
               ReadFile(FHandle.Get(), buffer, size, &got, nullptr) && got == size;
    }

private:
    TFileHandle FHandle;
};

std::wstring Demangle(const std::string& raw)
{
    std::string name = raw;
#if defined(_M_IX86) || defined(__i386__)
    if (!name.empty() && name[0] == '_')
        name.erase(0, 1);  // 32-bit C names carry an underscore
#endif
#ifdef TIDORA_HAS_CXXABI
    int status = 0;
    char* plain = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    if (status == 0 && plain) {
        name = plain;
        std::free(plain);
    }
#endif
    return Utf8ToWide(name);
}

}  // namespace

// The symbol table and its string table follow each other in the file;
// symbol values count from the start of their section, whose address the
// loaded image's section headers give.
const TCoffSymbols::TTable& TCoffSymbols::Load(HMODULE module)
{
    auto found = FTables.find(module);
    if (found != FTables.end())
        return found->second;
    TTable& table = FTables[module];

    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return table;
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return table;
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(module) + dos->e_lfanew);
    const IMAGE_FILE_HEADER& header = nt->FileHeader;
    if (!header.PointerToSymbolTable || !header.NumberOfSymbols || header.NumberOfSymbols > 4000000)
        return table;
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);

    TFile file(path);
    std::vector<BYTE> symbols(static_cast<size_t>(header.NumberOfSymbols) * SymbolSize);
    DWORD stringsAt = header.PointerToSymbolTable + static_cast<DWORD>(symbols.size());
    DWORD stringsSize = 0;
    if (!file.Read(header.PointerToSymbolTable, symbols.data(), static_cast<DWORD>(symbols.size())) ||
        !file.Read(stringsAt, &stringsSize, sizeof(stringsSize)) || stringsSize < 4 || stringsSize > 256u << 20)
        return table;
    std::vector<char> strings(stringsSize + 1, '\0');
    if (!file.Read(stringsAt, strings.data(), stringsSize))
        return table;

    for (DWORD i = 0; i < header.NumberOfSymbols; ++i) {
        const BYTE* entry = &symbols[static_cast<size_t>(i) * SymbolSize];
        DWORD value;
        SHORT section;
        WORD type;
        std::memcpy(&value, entry + 8, 4);
        std::memcpy(&section, entry + 12, 2);
        std::memcpy(&type, entry + 14, 2);
        BYTE storage = entry[16];
        BYTE auxCount = entry[17];
        bool function = (type & 0xF0) == FunctionType &&
                        (storage == IMAGE_SYM_CLASS_EXTERNAL || storage == IMAGE_SYM_CLASS_STATIC);
        if (function && section > 0 && section <= header.NumberOfSections) {
            std::string name;
            DWORD zeros;
            std::memcpy(&zeros, entry, 4);
            if (zeros == 0) {
                DWORD offset;
                std::memcpy(&offset, entry + 4, 4);
                if (offset < stringsSize)
                    name = strings.data() + offset;
            } else {
                name.assign(reinterpret_cast<const char*>(entry), strnlen(reinterpret_cast<const char*>(entry), 8));
            }
            if (!name.empty())
                table.Functions[sections[section - 1].VirtualAddress + value] = name;
        }
        i += auxCount;
    }
    return table;
}

bool TCoffSymbols::Find(HMODULE module, const void* address, std::wstring& name, size_t& offset)
{
    const TTable& table = Load(module);
    DWORD rva = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(address) - reinterpret_cast<ULONG_PTR>(module));
    auto after = table.Functions.upper_bound(rva);
    if (after == table.Functions.begin())
        return false;
    --after;
    name = Demangle(after->second);
    offset = rva - after->first;
    return true;
}
