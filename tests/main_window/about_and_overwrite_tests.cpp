#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "about_box.h"
#include "dialog_test_support.h"
#include "hyperlink.h"
#include "overwrite_dialog.h"
#include "resource.h"
#include "shared_constants.h"
#include "test_files.h"

namespace {

// The face, height and weight a font is drawn with.
std::string DrawnAs(HFONT font)
{
    HDC context = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(context, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(context, &metrics);
    char face[64] = "";
    GetTextFaceA(context, sizeof face, face);
    SelectObject(context, previous);
    DeleteDC(context);
    return std::string(face) + " " + std::to_string(metrics.tmHeight) + " " +
           std::to_string(metrics.tmWeight);
}

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        about = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUT), NULL,
                                   AboutDialogProc, 0);
        ASSERT_NE(about, (HWND)NULL);
        ShowWindow(about, SW_SHOW);
    }
    void TearDown() override
    {
        if (IsWindow(about)) DestroyWindow(about);
    }

    // Text colour and font after the dialog answered a colour request for the control.
    void colourFor(HWND control, COLORREF& colour, LOGFONTA& font)
    {
        HDC context = GetDC(control);
        SendMessageA(about, WM_CTLCOLORSTATIC, (WPARAM)context, (LPARAM)control);
        colour = GetTextColor(context);
        GetObjectA(GetCurrentObject(context, OBJ_FONT), sizeof font, &font);
        ReleaseDC(control, context);
    }

    HWND about = NULL;
};

TEST_F(AboutBox, ShowsItsPictureAndTexts)
{
    EXPECT_EQ(WindowText(about), "About Brindle");
    HBITMAP picture =
        (HBITMAP)SendDlgItemMessageA(about, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0);
    ASSERT_NE(picture, (HBITMAP)NULL);
    BITMAP size;
    GetObjectA(picture, sizeof size, &size);
    EXPECT_EQ(size.bmWidth, 56);
    EXPECT_EQ(size.bmHeight, 56);
    EXPECT_EQ(ItemText(about, IDC_ABOUT_LINK), PRODUCT_WEB_PAGE);
    EXPECT_EQ(std::string(PRODUCT_WEB_PAGE), "https://example.org/brindle");
}

TEST_F(AboutBox, LinkIsBlueUnderlinedWithTheHand)
{
    HWND link = GetDlgItem(about, IDC_ABOUT_LINK);
    EXPECT_NE(GetPropA(link, "href_dat"), (HANDLE)NULL);
    EXPECT_NE(GetPropA(about, "href_dlg"), (HANDLE)NULL);
    EXPECT_EQ(SendMessageA(link, WM_NCHITTEST, 0, 0), HTCLIENT);
    SetCursor(NULL);
    EXPECT_EQ(SendMessageA(link, WM_SETCURSOR, (WPARAM)link, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorA(NULL, IDC_HAND));

    COLORREF colour;
    LOGFONTA font;
    colourFor(link, colour, font);
    EXPECT_EQ(colour, RGB(0, 0, 255));
    EXPECT_TRUE(font.lfUnderline);
    // A copy of the box's own font, not of whatever the context held.
    HFONT linkFont = CreateFontIndirectA(&font);
    EXPECT_EQ(DrawnAs(linkFont), DrawnAs((HFONT)SendMessageA(about, WM_GETFONT, 0, 0)));
    DeleteObject(linkFont);

    // Painted, the link keeps drawing with the underlined font.
    UpdateWindow(about);
    PumpUntil([&]() { return GetUpdateRect(link, NULL, FALSE) == FALSE; });
    HFONT paintedFont = (HFONT)SendMessageA(link, WM_GETFONT, 0, 0);
    ASSERT_NE(paintedFont, (HFONT)NULL);
    LOGFONTA painted;
    GetObjectA(paintedFont, sizeof painted, &painted);
    EXPECT_TRUE(painted.lfUnderline);

    // Any other text of the box keeps its colour and font.
    HWND version = FindWindowExA(about, NULL, "Static", "Brindle version 1.31");
    ASSERT_NE(version, (HWND)NULL);
    colourFor(version, colour, font);
    EXPECT_NE(colour, RGB(0, 0, 255));
    EXPECT_FALSE(font.lfUnderline);
}

TEST_F(AboutBox, EachPressOnTheLinkOpensItsAddress)
{
    // The address is a small batch file that counts how often it was opened.
    std::string folder = MakeTestFolder();
    std::string marker = folder + "opened.txt", script = folder + "open.bat";
    WriteTextFile(script, "@echo opened>>\"" + marker + "\"\r\n");
    MakeHyperlink(about, IDC_ABOUT_LINK, script.c_str());
    HWND link = GetDlgItem(about, IDC_ABOUT_LINK);
    auto opened = [&]() { return ReadWholeFile(marker).size() / strlen("opened\r\n"); };

    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(WaitUntil([&]() { return opened() == 1; }));
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(WaitUntil([&]() { return opened() == 2; }));
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    RemoveTestFolder(folder);
}

TEST_F(AboutBox, LinkingAgainChangesOnlyTheAddress)
{
    HWND link = GetDlgItem(about, IDC_ABOUT_LINK);
    HANDLE record = GetPropA(link, "href_dat");
    LONG_PTR procedure = GetWindowLongPtrA(link, GWLP_WNDPROC);
    HANDLE dialogRecord = GetPropA(about, "href_dlg");
    MakeHyperlink(about, IDC_ABOUT_LINK, "https://example.org/other");
    EXPECT_EQ(GetPropA(link, "href_dat"), record);
    EXPECT_EQ(GetWindowLongPtrA(link, GWLP_WNDPROC), procedure);
    EXPECT_EQ(GetPropA(about, "href_dlg"), dialogRecord);
    EXPECT_EQ(SendMessageA(link, WM_NCHITTEST, 0, 0), HTCLIENT);
}

TEST_F(AboutBox, LinkLetsGoOfItsRecordWhenDestroyed)
{
    HWND link = GetDlgItem(about, IDC_ABOUT_LINK);
    SendMessageA(link, WM_DESTROY, 0, 0);  // as the control's destruction does first
    EXPECT_EQ(GetPropA(link, "href_dat"), (HANDLE)NULL);
    // Unhooked: the control no longer claims the pointer.
    EXPECT_NE(SendMessageA(link, WM_NCHITTEST, 0, 0), HTCLIENT);
}

TEST(AboutBoxFromMenu, EscapeEnterAndOkEndIt)
{
    ClearSettingsKey();
    HWND dialog = CreateMainDialog();
    for (int answer : {IDCANCEL, IDOK}) {
        DialogAnswerer answerer(dialog, "About Brindle", answer);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ID_HELP_ABOUT, 0), 0);
        EXPECT_TRUE(answerer.answered());
        EXPECT_EQ(FindOwnedDialog(dialog, "About Brindle"), (HWND)NULL);
    }
    EXPECT_TRUE(IsWindowEnabled(dialog));
    DestroyWindow(dialog);
    ClearSettingsKey();
}

class OverwriteDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = CreateWindowExA(0, "Static", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL,
                                NULL, NULL, NULL);
    }
    void TearDown() override { DestroyWindow(owner); }

    // Shows the dialog; `act` runs on another thread once it is open.
    int ask(const std::function<void(HWND)>& act)
    {
        std::thread helper([&]() {
            HWND box = NULL;
            if (WaitUntil([&]() {
                    return (box = FindOwnedDialog(owner, "Confirm File Overwrite")) != NULL;
                }))
                act(box);
        });
        int answer = confirmOverwrite(owner, "C:\\Data\\Big.iso.0002");
        helper.join();
        return answer;
    }

    HWND owner = NULL;
};

void Press(HWND box, int id)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
}

TEST_F(OverwriteDialog, AsksAboutTheFileWithTheFocusOnNo)
{
    std::string text, yes, all, no;
    HWND focus = NULL, noButton = NULL;
    LONG style = 0;
    HANDLE icon = NULL;
    int answer = ask([&](HWND box) {
        text = ItemText(box, IDC_OVERWRITE_TEXT);
        yes = ItemText(box, IDC_OVERWRITE_YES);
        all = ItemText(box, IDC_OVERWRITE_YES_TO_ALL);
        no = ItemText(box, IDC_OVERWRITE_NO);
        GUITHREADINFO info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(box, NULL), &info);
        focus = info.hwndFocus;
        noButton = GetDlgItem(box, IDC_OVERWRITE_NO);
        style = GetWindowLongA(box, GWL_STYLE);
        HWND iconControl = FindWindowExA(box, NULL, "Static", NULL);
        icon = (HANDLE)SendMessageA(iconControl, STM_GETICON, 0, 0);
        Press(box, IDC_OVERWRITE_YES);
    });
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(text, "The file \"C:\\Data\\Big.iso.0002\" already exists.\nDo you want to overwrite it?");
    EXPECT_EQ(yes, "&Yes");
    EXPECT_EQ(all, "Yes to &All");
    EXPECT_EQ(no, "&No");
    EXPECT_EQ(focus, noButton);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_NE(icon, (HANDLE)NULL);
}

TEST_F(OverwriteDialog, YesToAllAndNo)
{
    EXPECT_EQ(ask([](HWND box) { Press(box, IDC_OVERWRITE_YES_TO_ALL); }), IDYESTOALL);
    EXPECT_EQ(IDYESTOALL, 299792458);
    EXPECT_EQ(ask([](HWND box) { Press(box, IDC_OVERWRITE_NO); }), IDNO);
}

TEST_F(OverwriteDialog, EscapeDoesNotCloseIt)
{
    // The commands arrive in order: had Escape closed the dialog, Yes would
    // never be read.
    EXPECT_EQ(ask([](HWND box) {
                  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
                  Press(box, IDC_OVERWRITE_YES);
              }),
              IDYES);
}

TEST_F(OverwriteDialog, EnterAnswersNo)
{
    EXPECT_EQ(ask([](HWND box) {
                  HWND no = GetDlgItem(box, IDC_OVERWRITE_NO);
                  PostMessageA(no, WM_KEYDOWN, VK_RETURN, 0x001C0001);
                  PostMessageA(no, WM_KEYUP, VK_RETURN, 0xC01C0001);
              }),
              IDNO);
}

}  // namespace
