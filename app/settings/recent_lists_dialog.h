// The recent lists in the main dialog's file box and folder box.
#pragma once

struct HWND__;

// Fills the drop-down lists of the file box and the folder box from the
// recent lists, in slot order without gaps; an empty list gets one empty item.
void ShowRecentLists(HWND__* dialog);

// Moves the file box's and the folder box's texts, as they stand, to the
// front of the recent lists. The drop-down lists are not changed.
void RememberRecent(HWND__* dialog);
