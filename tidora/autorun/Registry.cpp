#include "Registry.h"

#include "Text.h"
#include "Win32Handles.h"

namespace {

// The 64-bit view on every open: a 32-bit build must see the same keys as
// a 64-bit one, and reaches the 32-bit registrations by their Wow6432Node
// paths. On 32-bit Windows the flag is ignored.
constexpr REGSAM ReadMask = KEY_READ | KEY_WOW64_64KEY;
constexpr REGSAM WriteMask = KEY_READ | KEY_WRITE | KEY_WOW64_64KEY;

struct TRootName {
    HKEY Root;
    const wchar_t* LongName;
    const wchar_t* ShortName;  // nullptr when the key has none
};

// In the order NameToRootKey tries them.
const TRootName RootNames[] = {
    {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", L"HKCR"},
    {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", L"HKCU"},
    {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"HKLM"},
    {HKEY_USERS, L"HKEY_USERS", L"HKU"},
    {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG", nullptr},
    {HKEY_PERFORMANCE_DATA, L"HKEY_PERFORMANCE_DATA", nullptr},
    {HKEY_DYN_DATA, L"HKEY_DYN_DATA", nullptr},
};

// RegOpenKeyExW refuses a leading backslash; callers may write either form.
const wchar_t* RelativePath(const std::wstring& key)
{
    const wchar_t* path = key.c_str();
    while (*path == L'\\')
        ++path;
    return path;
}

TRegKeyHandle OpenForWriting(HKEY root, const std::wstring& key)
{
    TRegKeyHandle handle;
    if (RegCreateKeyExW(root, RelativePath(key), 0, nullptr, REG_OPTION_NON_VOLATILE, WriteMask, nullptr,
                        handle.Put(), nullptr) != ERROR_SUCCESS)
        handle.Release();
    return handle;
}

// The type and bytes of a value of an open key; empty when it is missing or
// cannot be read. Asks for the size first and retries while the value grows.
std::optional<TRegValue> QueryValue(HKEY key, const std::wstring& name)
{
    TRegValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &value.Type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    for (int attempt = 0; attempt < 4; ++attempt) {
        value.Data.resize(size);
        if (size == 0)
            return value;
        LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &value.Type, value.Data.data(), &size);
        if (result == ERROR_SUCCESS) {
            value.Data.resize(size);
            return value;
        }
        if (result != ERROR_MORE_DATA)
            return std::nullopt;
    }
    return std::nullopt;
}

bool IsText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// Stored text up to its first NUL; a stored string need not end in one.
std::wstring TextOf(const std::vector<BYTE>& data)
{
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty())
        memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos)
        text.erase(nul);
    return text;
}

std::optional<DWORD> DwordOf(const TRegValue& value)
{
    if (value.Type != REG_DWORD || value.Data.size() != sizeof(DWORD))
        return std::nullopt;
    DWORD number = 0;
    memcpy(&number, value.Data.data(), sizeof(number));
    return number;
}

void SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data, size_t size)
{
    TRegKeyHandle handle = OpenForWriting(root, key);
    if (handle)
        RegSetValueExW(handle.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

// The names of a key's subkeys or of its values, in the registry's order.
int ReadNames(HKEY root, const std::wstring& key, bool subkeys, std::vector<std::wstring>& names)
{
    names.clear();
    TRegKeyHandle handle = OpenForReading(root, key);
    if (!handle)
        return 0;
    DWORD longestKey = 0, longestValue = 0;
    if (RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, nullptr, &longestKey, nullptr, nullptr,
                         &longestValue, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    std::vector<wchar_t> buffer((subkeys ? longestKey : longestValue) + 1);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG result =
            subkeys ? RegEnumKeyExW(handle.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr)
                    : RegEnumValueW(handle.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) {
            // A longer name appeared since the size was asked for.
            buffer.resize(buffer.size() * 2 + 256);
            --index;
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.data(), length);
    }
    return static_cast<int>(names.size());
}

}  // namespace

TRegKeyHandle OpenForReading(HKEY root, const std::wstring& key)
{
    TRegKeyHandle handle;
    if (RegOpenKeyExW(root, RelativePath(key), 0, ReadMask, handle.Put()) != ERROR_SUCCESS)
        handle.Release();
    return handle;
}

std::wstring RootKeyToName(HKEY root, bool shortName)
{
    for (const TRootName& entry : RootNames)
        if (entry.Root == root)
            return shortName && entry.ShortName ? entry.ShortName : entry.LongName;
    return {};
}

HKEY NameToRootKey(std::wstring_view name)
{
    for (const TRootName& entry : RootNames)
        if (AsciiEqualsIgnoreCase(name, entry.LongName) ||
            (entry.ShortName && AsciiEqualsIgnoreCase(name, entry.ShortName)))
            return entry.Root;
    return nullptr;
}

bool TReg::IsKey(HKEY root, const std::wstring& key)
{
    return static_cast<bool>(OpenForReading(root, key));
}

std::vector<BYTE> TReg::ReadBinary(HKEY root, const std::wstring& key, const std::wstring& name)
{
    std::optional<TRegValue> value = ReadValue(root, key, name);
    return value ? std::move(value->Data) : std::vector<BYTE>();
}

bool TReg::ReadBool(HKEY root, const std::wstring& key, const std::wstring& name, bool fallback)
{
    std::optional<TRegValue> value = ReadValue(root, key, name);
    std::optional<DWORD> number = value ? DwordOf(*value) : std::nullopt;
    return number ? *number != 0 : fallback;
}

int TReg::ReadInteger(HKEY root, const std::wstring& key, const std::wstring& name, int fallback)
{
    std::optional<TRegValue> value = ReadValue(root, key, name);
    std::optional<DWORD> number = value ? DwordOf(*value) : std::nullopt;
    return number ? static_cast<int>(*number) : fallback;
}

std::wstring TReg::ReadString(HKEY root, const std::wstring& key, const std::wstring& name,
                              const std::wstring& fallback)
{
    TRegKeyHandle handle = OpenForReading(root, key);
    if (!handle)
        return fallback;
    std::optional<TRegValue> value = QueryValue(handle.Get(), name);
    if (!value)
        return {};
    return IsText(value->Type) ? TextOf(value->Data) : fallback;
}

int TReg::ReadKeyNames(HKEY root, const std::wstring& key, std::vector<std::wstring>& keyNames)
{
    return ReadNames(root, key, true, keyNames);
}

int TReg::ReadValueNames(HKEY root, const std::wstring& key, std::vector<std::wstring>& valueNames)
{
    return ReadNames(root, key, false, valueNames);
}

void TReg::WriteBinary(HKEY root, const std::wstring& key, const std::wstring& name, const std::vector<BYTE>& value)
{
    SetValue(root, key, name, REG_BINARY, value.data(), value.size());
}

void TReg::WriteInteger(HKEY root, const std::wstring& key, const std::wstring& name, int value)
{
    DWORD number = static_cast<DWORD>(value);
    SetValue(root, key, name, REG_DWORD, &number, sizeof(number));
}

void TReg::WriteString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value)
{
    SetValue(root, key, name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void TReg::DeleteKey(HKEY root, const std::wstring& key, const std::wstring& name)
{
    TRegKeyHandle parent = OpenForWriting(root, key);
    if (!parent || name.empty())
        return;
    // Opened from the root, not from the parent handle, so that the subkey is
    // taken from the 64-bit view as well; RegDeleteTreeW then empties it and
    // RegDeleteKeyExW removes it from that same view.
    std::wstring path = key.empty() ? name : std::wstring(RelativePath(key)) + L"\\" + name;
    TRegKeyHandle subkey;
    if (RegOpenKeyExW(root, RelativePath(path), 0, KEY_READ | KEY_WRITE | DELETE | KEY_WOW64_64KEY, subkey.Put()) !=
        ERROR_SUCCESS)
        return;
    RegDeleteTreeW(subkey.Get(), nullptr);
    subkey.Reset();
    RegDeleteKeyExW(parent.Get(), name.c_str(), KEY_WOW64_64KEY, 0);
}

void TReg::DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name)
{
    TRegKeyHandle handle = OpenForWriting(root, key);
    if (handle)
        RegDeleteValueW(handle.Get(), name.c_str());
}

bool TReg::Parse(std::wstring_view text, HKEY& root, std::wstring& key, std::wstring& name)
{
    key.clear();
    name.clear();
    std::vector<std::wstring_view> pieces;
    for (size_t start = 0;;) {
        size_t slash = text.find(L'\\', start);
        pieces.push_back(text.substr(start, slash == std::wstring_view::npos ? std::wstring_view::npos : slash - start));
        if (slash == std::wstring_view::npos)
            break;
        start = slash + 1;
    }
    if (pieces.size() < 3)
        return false;
    root = NameToRootKey(pieces.front());
    for (size_t i = 1; i + 1 < pieces.size(); ++i) {
        if (i > 1)
            key += L'\\';
        key += pieces[i];
    }
    name = pieces.back();
    return true;
}

void TReg::Delete(std::wstring_view text)
{
    HKEY root = nullptr;
    std::wstring key, name;
    if (!Parse(text, root, key, name))
        return;
    if (IsKey(root, key + L"\\" + name))
        DeleteKey(root, key, name);
    else
        DeleteValue(root, key, name);
}

std::optional<TRegValue> TReg::ReadValue(HKEY root, const std::wstring& key, const std::wstring& name)
{
    TRegKeyHandle handle = OpenForReading(root, key);
    if (!handle)
        return std::nullopt;
    return QueryValue(handle.Get(), name);
}

bool TReg::ValueExists(HKEY root, const std::wstring& key, const std::wstring& name)
{
    TRegKeyHandle handle = OpenForReading(root, key);
    return handle && RegQueryValueExW(handle.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TReg::WriteValue(HKEY root, const std::wstring& key, const std::wstring& name, const TRegValue& value)
{
    TRegKeyHandle handle = OpenForWriting(root, key);
    return handle && RegSetValueExW(handle.Get(), name.c_str(), 0, value.Type, value.Data.data(),
                                    static_cast<DWORD>(value.Data.size())) == ERROR_SUCCESS;
}

bool TReg::RemoveValue(HKEY root, const std::wstring& key, const std::wstring& name)
{
    TRegKeyHandle handle;
    if (RegOpenKeyExW(root, RelativePath(key), 0, WriteMask, handle.Put()) != ERROR_SUCCESS)
        return false;
    return RegDeleteValueW(handle.Get(), name.c_str()) == ERROR_SUCCESS;
}

bool ReadFlag(HKEY key, const std::wstring& name, bool fallback)
{
    std::optional<TRegValue> value = QueryValue(key, name);
    std::optional<DWORD> number = value ? DwordOf(*value) : std::nullopt;
    return number ? *number != 0 : fallback;
}

int ReadNumber(HKEY key, const std::wstring& name, int fallback)
{
    std::optional<TRegValue> value = QueryValue(key, name);
    std::optional<DWORD> number = value ? DwordOf(*value) : std::nullopt;
    return number ? static_cast<int>(*number) : fallback;
}

std::wstring ReadText(HKEY key, const std::wstring& name, const std::wstring& fallback)
{
    std::optional<TRegValue> value = QueryValue(key, name);
    if (!value)
        return fallback;
    if (std::optional<DWORD> number = DwordOf(*value))
        return std::to_wstring(*number);
    return IsText(value->Type) ? TextOf(value->Data) : fallback;
}
