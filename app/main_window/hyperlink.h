// Turns a static text control into a link: blue, underlined, the hand
// pointer, and a press of the left button opens the address with the shell.
#pragma once

struct HWND__;

// The control's record is kept in its window property "href_dat", the
// dialog's (link font and face brush, shared by all its links) in "href_dlg".
// Calling it again for the same control changes the address.
void MakeHyperlink(HWND__* dialog, int controlId, const char* address);
