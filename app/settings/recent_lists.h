// The recent files and folders, eight of each, the most recent first. An
// empty text is a free slot.
#pragma once

#include <stdint.h>

#include <array>
#include <mutex>
#include <string>

const int RECENT_SLOT_COUNT = 8;
typedef std::array<std::string, RECENT_SLOT_COUNT> RecentList;

// The lists of this run. They are changed on the split worker's thread at the
// end of a successful split and read on the dialog's thread at start and
// exit, so every access holds RecentListsGuard: an exit at the very end of a
// split sees either the old or the new lists, never a mix.
extern RecentList& RecentFiles;
extern RecentList& RecentFolders;
extern std::mutex& RecentListsGuard;

// Whether two recent entries name the same thing: same length, and the same
// bytes once A to Z are made a to z. Nothing else is normalised.
bool SameRecentEntry(const std::string& a, const std::string& b);

// Puts the text in slot 0. An entry that matches it leaves its old place;
// without a match the last slot falls out of the list.
void MoveToFront(RecentList& list, const std::string& text);

// The settings store: the per-user key and its 19 value names.
const char* const SETTINGS_KEY = "Software\\Velloran\\Brindle";
const char* const POSITION_LEFT_VALUE = "posx";
const char* const POSITION_TOP_VALUE = "posy";
const char* const RECOVERY_PIECE_VALUE = "RecoveryPiece";  // a DWORD, 1 when checked
std::string RecentFileValueName(int slot);    // "RecentFile0" ... "RecentFile7"
std::string RecentFolderValueName(int slot);  // "RecentFolder0" ... "RecentFolder7"

// A stored text value is read into a buffer of this capacity; a longer one
// leaves its slot empty.
const uint32_t RECENT_VALUE_CAPACITY = 512;
// The position when none was stored; any negative position centres the dialog.
const int32_t POSITION_NOT_STORED = INT32_MIN;
