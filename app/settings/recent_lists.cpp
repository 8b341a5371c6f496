#include "recent_lists.h"

#include "path_text_string.h"

// Never destroyed: a worker that finishes its split while the program exits
// may still be using them.
RecentList& RecentFiles = *new RecentList();
RecentList& RecentFolders = *new RecentList();
std::mutex& RecentListsGuard = *new std::mutex();

bool SameRecentEntry(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ToLowerCopy(a) == ToLowerCopy(b);
}

void MoveToFront(RecentList& list, const std::string& text)
{
    int index = RECENT_SLOT_COUNT - 1;
    for (int slot = 0; slot < RECENT_SLOT_COUNT; ++slot) {
        if (SameRecentEntry(list[slot], text)) {
            index = slot;
            break;
        }
    }
    for (int slot = index; slot > 0; --slot) list[slot] = list[slot - 1];
    list[0] = text;
}

std::string RecentFileValueName(int slot)
{
    return "RecentFile" + std::to_string(slot);
}

std::string RecentFolderValueName(int slot)
{
    return "RecentFolder" + std::to_string(slot);
}
