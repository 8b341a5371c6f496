#include "settings_store.h"

#include <windows.h>

#include "recent_lists.h"

namespace {

// The text of a value, or empty when it is missing or longer than the
// capacity. Stored texts carry no terminating zero, so one is added here.
std::string ReadTextValue(HKEY key, const std::string& name)
{
    char buffer[RECENT_VALUE_CAPACITY + 1];
    DWORD size = RECENT_VALUE_CAPACITY;
    if (RegQueryValueExA(key, name.c_str(), NULL, NULL, (BYTE*)buffer, &size) != ERROR_SUCCESS)
        return "";
    buffer[size <= RECENT_VALUE_CAPACITY ? size : RECENT_VALUE_CAPACITY] = '\0';
    return buffer;
}

void ReadNumberValue(HKEY key, const char* name, int32_t& value)
{
    int32_t stored = 0;
    DWORD size = sizeof stored;
    if (RegQueryValueExA(key, name, NULL, NULL, (BYTE*)&stored, &size) == ERROR_SUCCESS &&
        size == sizeof stored)
        value = stored;
}

// The text's bytes without a terminating zero.
void WriteTextValue(HKEY key, const std::string& name, const std::string& text)
{
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, (const BYTE*)text.data(), (DWORD)text.size());
}

void WriteNumberValue(HKEY key, const char* name, int32_t value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
}

}  // namespace

void LoadSettings(int32_t& left, int32_t& top, bool& recoveryPiece)
{
    left = POSITION_NOT_STORED;
    top = POSITION_NOT_STORED;
    int32_t recovery = 0;
    RecentList files, folders;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        for (int slot = 0; slot < RECENT_SLOT_COUNT; ++slot) {
            files[slot] = ReadTextValue(key, RecentFileValueName(slot));
            folders[slot] = ReadTextValue(key, RecentFolderValueName(slot));
        }
        ReadNumberValue(key, POSITION_LEFT_VALUE, left);
        ReadNumberValue(key, POSITION_TOP_VALUE, top);
        ReadNumberValue(key, RECOVERY_PIECE_VALUE, recovery);
        RegCloseKey(key);
    }
    recoveryPiece = recovery == 1;
    std::lock_guard<std::mutex> lock(RecentListsGuard);
    RecentFiles = files;
    RecentFolders = folders;
}

void SaveSettings(int32_t left, int32_t top, bool recoveryPiece)
{
    RecentList files, folders;
    {
        std::lock_guard<std::mutex> lock(RecentListsGuard);
        files = RecentFiles;
        folders = RecentFolders;
    }
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    for (int slot = 0; slot < RECENT_SLOT_COUNT; ++slot)
        WriteTextValue(key, RecentFileValueName(slot), files[slot]);
    for (int slot = 0; slot < RECENT_SLOT_COUNT; ++slot)
        WriteTextValue(key, RecentFolderValueName(slot), folders[slot]);
    WriteNumberValue(key, POSITION_LEFT_VALUE, left);
    WriteNumberValue(key, POSITION_TOP_VALUE, top);
    WriteNumberValue(key, RECOVERY_PIECE_VALUE, recoveryPiece ? 1 : 0);
    RegCloseKey(key);
}
