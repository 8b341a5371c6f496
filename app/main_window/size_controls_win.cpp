#include "size_controls.h"

#include <windows.h>

#include <string>

#include "file_system.h"
#include "path_text_string.h"
#include "resource.h"
#include "shared_constants.h"
#include "size_estimates.h"

namespace {

// The custom number is read with room for 1,022 characters.
const int CUSTOM_NUMBER_BUFFER = 1023;

int Selection(HWND dialog, int id)
{
    return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
}

std::string SelectedItemText(HWND box)
{
    int index = (int)SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (index < 0) return "";
    int length = (int)SendMessageA(box, CB_GETLBTEXTLEN, index, 0);
    if (length <= 0) return "";
    // The item is read whole into a buffer of its own length: an entry of the
    // stored lists may be longer than a field.
    std::string text(length + 1, '\0');
    SendMessageA(box, CB_GETLBTEXT, index, (LPARAM)&text[0]);
    text.resize(strlen(text.c_str()));
    return CutToFieldLength(text);
}

}  // namespace

std::string FilePathFrom(HWND dialog, PathSource source)
{
    HWND fileBox = GetDlgItem(dialog, IDC_FILE_BOX);
    if (source == PathSource::SelectedItem) return SelectedItemText(fileBox);
    char text[MAX_TEXT] = "";
    GetWindowTextA(fileBox, text, sizeof text);
    return text;
}

int64_t GetPieceSize(HWND dialog)
{
    char number[CUSTOM_NUMBER_BUFFER] = "";
    GetDlgItemTextA(dialog, IDC_CUSTOM_NUMBER, number, sizeof number);
    return PieceSizeFor(Selection(dialog, IDC_SIZE_CHOICE), number,
                        Selection(dialog, IDC_UNIT_LIST));
}

void EnableCustomSize(HWND dialog, bool enable)
{
    EnableWindow(GetDlgItem(dialog, IDC_CUSTOM_LABEL), enable);
    EnableWindow(GetDlgItem(dialog, IDC_CUSTOM_NUMBER), enable);
    EnableWindow(GetDlgItem(dialog, IDC_UNIT_LIST), enable);
    if (enable && Selection(dialog, IDC_UNIT_LIST) < 0)
        SendDlgItemMessageA(dialog, IDC_UNIT_LIST, CB_SETCURSEL, 0, 0);
}

void ShowFileSize(HWND dialog, PathSource source)
{
    int64_t size = getFileSize(FilePathFrom(dialog, source).c_str());
    std::string line = size < 0 ? "" : FormatFileSize(size);
    SetDlgItemTextA(dialog, IDC_FILE_SIZE_LINE, line.c_str());
}

void ShowPieceCount(HWND dialog, PathSource source)
{
    int64_t size = getFileSize(FilePathFrom(dialog, source).c_str());
    std::string line = size < 0 ? "" : PieceCountText(size, GetPieceSize(dialog));
    SetDlgItemTextA(dialog, IDC_PIECE_COUNT_LINE, line.c_str());
}
