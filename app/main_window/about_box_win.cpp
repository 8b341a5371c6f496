#include "about_box.h"

#include <windows.h>

#include "hyperlink.h"
#include "program_state.h"
#include "resource.h"

namespace {

void StartAboutBox(HWND about)
{
    MakeHyperlink(about, IDC_ABOUT_LINK, PRODUCT_WEB_PAGE);
    HBITMAP picture = LoadBitmapA(ProgramInstance(), MAKEINTRESOURCEA(IDB_ABOUT));
    SendDlgItemMessageA(about, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)picture);
}

// The picture control does not own the bitmap it was given.
void ReleasePicture(HWND about)
{
    HGDIOBJ picture =
        (HGDIOBJ)SendDlgItemMessageA(about, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0);
    if (picture != NULL) DeleteObject(picture);
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND about, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        StartAboutBox(about);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(about, 0);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        ReleasePicture(about);
        return FALSE;
    }
    return FALSE;
}
