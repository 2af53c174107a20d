// Function names from the COFF symbol table that mingw-w64 leaves in an
// executable. dbghelp on Windows cannot read the DWARF debug information
// of such programs, but this table names their functions.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class TCoffSymbols {
public:
    // The function containing `address` in `module` and the offset into it;
    // false when the module has no symbol table or no function covers it.
    bool Find(HMODULE module, const void* address, std::wstring& name, size_t& offset);

private:
    struct TTable {
        std::map<DWORD, std::string> Functions;  // start RVA -> raw name
    };
    const TTable& Load(HMODULE module);

    std::map<HMODULE, TTable> FTables;
};
