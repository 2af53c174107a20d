// The main program's one way into the registry. Every TReg operation opens
// one key in the 64-bit view (so a 32-bit build sees the native keys and
// reaches 32-bit registrations only through explicit Wow6432Node paths),
// does one read, write or delete, and closes the key again. No error leaves
// this file: reads give their fallback, writes and deletes simply do nothing.
// Stateless; any thread may call it.
#pragma once

#include "Win32Handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The key opened for reading in the 64-bit view (a leading "\" allowed),
// for callers that read many values through one open; empty when it cannot
// be opened.
TRegKeyHandle OpenForReading(HKEY root, const std::wstring& key);

// Name of a predefined root key: the short form ("HKCU") when asked for and
// the key has one, else the long form ("HKEY_CURRENT_USER"); empty for a
// handle that is not in the table.
std::wstring RootKeyToName(HKEY root, bool shortName);
// The root key of a long or short name, ASCII case ignored; nullptr for any
// other text.
HKEY NameToRootKey(std::wstring_view name);

// A value as stored: its registry type and its bytes.
struct TRegValue {
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
};

class TReg {
public:
    TReg() = delete;

    // Key paths are relative to the root, with or without a leading "\".
    static bool IsKey(HKEY root, const std::wstring& key);
    static std::vector<BYTE> ReadBinary(HKEY root, const std::wstring& key, const std::wstring& name);
    static bool ReadBool(HKEY root, const std::wstring& key, const std::wstring& name, bool fallback);
    static int ReadInteger(HKEY root, const std::wstring& key, const std::wstring& name, int fallback);
    // REG_SZ or REG_EXPAND_SZ text up to its first NUL, never expanded. Empty
    // when the key exists but the value does not; the fallback when the key
    // cannot be opened or the value has another type.
    static std::wstring ReadString(HKEY root, const std::wstring& key, const std::wstring& name,
                                   const std::wstring& fallback);
    // Replace the list's contents with the names in the registry's order;
    // return the count (0 when the key cannot be opened).
    static int ReadKeyNames(HKEY root, const std::wstring& key, std::vector<std::wstring>& keyNames);
    static int ReadValueNames(HKEY root, const std::wstring& key, std::vector<std::wstring>& valueNames);

    // Writes and deletes create the key, and any missing parents, first.
    static void WriteBinary(HKEY root, const std::wstring& key, const std::wstring& name, const std::vector<BYTE>& value);
    static void WriteInteger(HKEY root, const std::wstring& key, const std::wstring& name, int value);
    static void WriteString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);
    // Deletes the subkey `name` of `key` with everything below it.
    static void DeleteKey(HKEY root, const std::wstring& key, const std::wstring& name);
    static void DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name);

    // Splits "ROOT\key\path\name" at every "\" (empty pieces count): the first
    // piece names the root (nullptr when unknown), the last is the name, the
    // ones between are the key path. False, with key and name empty, for
    // fewer than three pieces.
    static bool Parse(std::wstring_view text, HKEY& root, std::wstring& key, std::wstring& name);
    // Deletes the subkey, or else the value, that a registry path text names.
    static void Delete(std::wstring_view text);

    // For moving values unchanged: any type, exact bytes. ReadValue is empty
    // when the value is missing or unreadable; the writes report success.
    static std::optional<TRegValue> ReadValue(HKEY root, const std::wstring& key, const std::wstring& name);
    static bool ValueExists(HKEY root, const std::wstring& key, const std::wstring& name);
    static bool WriteValue(HKEY root, const std::wstring& key, const std::wstring& name, const TRegValue& value);
    static bool RemoveValue(HKEY root, const std::wstring& key, const std::wstring& name);
};

// Tolerant reads of a key the caller holds open.
// A REG_DWORD other than 0; otherwise the fallback.
bool ReadFlag(HKEY key, const std::wstring& name, bool fallback);
// A REG_DWORD's value; otherwise the fallback.
int ReadNumber(HKEY key, const std::wstring& name, int fallback);
// A REG_DWORD in decimal, or the stored text of a REG_SZ / REG_EXPAND_SZ;
// the fallback for a missing value or any other type.
std::wstring ReadText(HKEY key, const std::wstring& name, const std::wstring& fallback);
