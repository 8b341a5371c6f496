#include "hyperlink.h"

#include <string.h>
#include <windows.h>
#include <shellapi.h>

namespace {

const char* const LINK_PROPERTY = "href_dat";
const char* const DIALOG_PROPERTY = "href_dlg";

// The record of a link control (font and brush unused) and of a dialog that
// holds links (address unused). Kept in a movable global memory block, locked
// only while it is read or written.
struct HyperlinkData {
    char* address;
    WNDPROC previousProcedure;
    HFONT font;
    HBRUSH brush;
};
typedef HyperlinkData HyperlinkDialogData;

HGLOBAL NewRecord(const HyperlinkData& fields)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(HyperlinkData));
    HyperlinkData* record = (HyperlinkData*)GlobalLock(block);
    *record = fields;
    GlobalUnlock(block);
    return block;
}

HyperlinkData ReadRecord(HGLOBAL block)
{
    HyperlinkData* record = (HyperlinkData*)GlobalLock(block);
    HyperlinkData fields = *record;
    GlobalUnlock(block);
    return fields;
}

void WriteRecord(HGLOBAL block, const HyperlinkData& fields)
{
    HyperlinkData* record = (HyperlinkData*)GlobalLock(block);
    *record = fields;
    GlobalUnlock(block);
}

char* HeapCopy(const char* text)
{
    char* copy = new char[strlen(text) + 1];
    strcpy(copy, text);
    return copy;
}

void OpenAddress(HWND link, const char* address)
{
    HWND owner = GetParent(link);
    ShellExecuteA(owner != NULL ? owner : link, "open", address, NULL, NULL, SW_SHOWNORMAL);
}

LRESULT CALLBACK LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam)
{
    HGLOBAL block = (HGLOBAL)GetPropA(link, LINK_PROPERTY);
    if (block == NULL) return DefWindowProcA(link, message, wParam, lParam);
    HyperlinkData data = ReadRecord(block);
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(LoadCursorA(NULL, IDC_HAND));
        return TRUE;
    case WM_NCHITTEST:
        // A static control lets the pointer through to the dialog otherwise.
        return HTCLIENT;
    case WM_LBUTTONDOWN:
        OpenAddress(link, data.address);
        break;
    case WM_DESTROY:
        RemovePropA(link, LINK_PROPERTY);
        GlobalFree(block);
        delete[] data.address;
        break;
    }
    return CallWindowProcA(data.previousProcedure, link, message, wParam, lParam);
}

// An underlined copy of the font the control draws with. Its own font is
// put into the context first: some static controls select it only after
// asking for colours.
HFONT UnderlinedFontOf(HWND link, HDC context)
{
    HFONT controlFont = (HFONT)SendMessageA(link, WM_GETFONT, 0, 0);
    if (controlFont != NULL) SelectObject(context, controlFont);
    TEXTMETRICA metrics;
    GetTextMetricsA(context, &metrics);
    char face[32] = "";
    GetTextFaceA(context, sizeof face, face);
    return CreateFontA(metrics.tmHeight, 0, 0, 0, metrics.tmWeight, metrics.tmItalic, TRUE,
                       metrics.tmStruckOut, metrics.tmCharSet, 0, 0, 0, metrics.tmPitchAndFamily,
                       face);
}

LRESULT ColourLink(HGLOBAL block, HWND link, HDC context)
{
    HyperlinkDialogData data = ReadRecord(block);
    SetTextColor(context, RGB(0, 0, 255));
    SetBkColor(context, GetSysColor(COLOR_BTNFACE));
    if (data.font == NULL) {
        data.font = UnderlinedFontOf(link, context);
        WriteRecord(block, data);
    }
    SelectObject(context, data.font);
    // Some static controls select their own font after asking for colours;
    // giving the link the underlined font makes it draw underlined there too.
    if ((HFONT)SendMessageA(link, WM_GETFONT, 0, 0) != data.font) {
        SendMessageA(link, WM_SETFONT, (WPARAM)data.font, FALSE);
        InvalidateRect(link, NULL, TRUE);
    }
    return (LRESULT)data.brush;
}

LRESULT CALLBACK DialogHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    HGLOBAL block = (HGLOBAL)GetPropA(dialog, DIALOG_PROPERTY);
    if (block == NULL) return DefWindowProcA(dialog, message, wParam, lParam);
    HyperlinkDialogData data = ReadRecord(block);
    switch (message) {
    case WM_CTLCOLORSTATIC:
        if (GetPropA((HWND)lParam, LINK_PROPERTY) != NULL)
            return ColourLink(block, (HWND)lParam, (HDC)wParam);
        break;
    case WM_DESTROY:
        RemovePropA(dialog, DIALOG_PROPERTY);
        GlobalFree(block);
        if (data.brush != NULL) DeleteObject(data.brush);
        if (data.font != NULL) DeleteObject(data.font);
        break;
    }
    return CallWindowProcA(data.previousProcedure, dialog, message, wParam, lParam);
}

void HookLink(HWND link, const char* address)
{
    HGLOBAL block = (HGLOBAL)GetPropA(link, LINK_PROPERTY);
    if (block != NULL) {
        HyperlinkData data = ReadRecord(block);
        delete[] data.address;
        data.address = HeapCopy(address);
        WriteRecord(block, data);
        return;
    }
    HyperlinkData data = {HeapCopy(address), (WNDPROC)GetWindowLongPtrA(link, GWLP_WNDPROC), NULL,
                          NULL};
    SetPropA(link, LINK_PROPERTY, NewRecord(data));
    SetWindowLongPtrA(link, GWLP_WNDPROC, (LONG_PTR)LinkProc);
}

void HookDialog(HWND dialog)
{
    if (GetPropA(dialog, DIALOG_PROPERTY) != NULL) return;
    HyperlinkDialogData data = {NULL, (WNDPROC)GetWindowLongPtrA(dialog, GWLP_WNDPROC), NULL,
                                CreateSolidBrush(GetSysColor(COLOR_BTNFACE))};
    SetPropA(dialog, DIALOG_PROPERTY, NewRecord(data));
    SetWindowLongPtrA(dialog, GWLP_WNDPROC, (LONG_PTR)DialogHookProc);
}

}  // namespace

void MakeHyperlink(HWND dialog, int controlId, const char* address)
{
    HWND link = GetDlgItem(dialog, controlId);
    if (link == NULL) return;
    HookLink(link, address);
    HookDialog(dialog);
}
