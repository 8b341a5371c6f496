#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "about_box.h"
#include "hyperlink.h"
#include "overwrite_dialog.h"
#include "resource.h"
#include "shared_constants.h"
#include "window_access.h"

namespace {

std::vector<std::pair<HWND, std::string>> opened;

// The face, height and weight a font is drawn with.
std::string DrawnAs(const LOGFONTA& logical)
{
    HDC context = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(context, CreateFontIndirectA(&logical));
    TEXTMETRICA metrics;
    GetTextMetricsA(context, &metrics);
    char face[64] = "";
    GetTextFaceA(context, sizeof face, face);
    DeleteObject(SelectObject(context, previous));
    DeleteDC(context);
    return std::string(face) + " " + std::to_string(metrics.tmHeight) + " " + std::to_string(metrics.tmWeight);
}

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        about = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUT), NULL,
                                   AboutDialogProc, 0);
        link = GetDlgItem(about, IDC_ABOUT_LINK);
        opened.clear();
        OpenLinkAddress = [](HWND owner, const char* address) { opened.push_back({owner, address}); };
    }
    void TearDown() override { DestroyWindow(about); }

    // The text colour and font the box gives a static control for painting.
    void colourFor(HWND control, COLORREF& colour, LOGFONTA& font)
    {
        HDC context = GetDC(control);
        SendMessageA(about, WM_CTLCOLORSTATIC, (WPARAM)context, (LPARAM)control);
        colour = GetTextColor(context);
        GetObjectA(GetCurrentObject(context, OBJ_FONT), sizeof font, &font);
        ReleaseDC(control, context);
    }
    void click() { SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); }

    HWND about = NULL, link = NULL;
};

TEST_F(AboutBox, LinkIsBlueUnderlinedInTheBoxsFontWithTheHand)
{
    EXPECT_EQ(SendMessageA(link, WM_NCHITTEST, 0, 0), HTCLIENT);
    SetCursor(NULL);
    EXPECT_TRUE(SendMessageA(link, WM_SETCURSOR, (WPARAM)link, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), LoadCursorA(NULL, IDC_HAND));
    COLORREF colour;
    LOGFONTA font, boxFont;
    colourFor(link, colour, font);
    EXPECT_EQ(colour, RGB(0, 0, 255));
    EXPECT_TRUE(font.lfUnderline);
    GetObjectA((HFONT)SendMessageA(about, WM_GETFONT, 0, 0), sizeof boxFont, &boxFont);
    EXPECT_EQ(DrawnAs(font), DrawnAs(boxFont));
    HWND version = FindWindowExA(about, NULL, "Static", "Brindle version 1.31");
    colourFor(version, colour, font);
    EXPECT_NE(colour, RGB(0, 0, 255));
    EXPECT_FALSE(font.lfUnderline);
}

TEST_F(AboutBox, EachPressOpensTheAddressAndLinkingAgainChangesIt)
{
    click();
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    click();
    using Opened = std::vector<std::pair<HWND, std::string>>;
    EXPECT_EQ(opened, (Opened{{about, Text(link)}, {about, Text(link)}}));
    HANDLE record = GetPropA(link, "href_dat");
    MakeHyperlink(about, IDC_ABOUT_LINK, "https://example.org/other");
    EXPECT_EQ(GetPropA(link, "href_dat"), record);
    click();
    EXPECT_EQ(opened.back().second, "https://example.org/other");
    EXPECT_EQ(opened.size(), 3u);
}

TEST_F(AboutBox, LinkLetsGoOfItsRecordWhenDestroyed)
{
    SendMessageA(link, WM_DESTROY, 0, 0);  // as the control's destruction does first
    EXPECT_EQ(GetPropA(link, "href_dat"), (HANDLE)NULL);
    EXPECT_NE(SendMessageA(link, WM_NCHITTEST, 0, 0), HTCLIENT);
}

class OverwriteDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = CreateWindowExA(0, "Static", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL,
                                NULL, NULL, NULL);
    }
    void TearDown() override { DestroyWindow(owner); }

    int ask(const std::function<void(HWND)>& act)
    {
        int answer = 0;
        WhileShown(owner, "Confirm File Overwrite", act,
                   [&] { answer = confirmOverwrite(owner, "C:\\Data\\Big.iso.0002"); });
        return answer;
    }

    HWND owner = NULL;
};

TEST_F(OverwriteDialog, AsksAboutTheFileWithTheFocusOnNo)
{
    EXPECT_EQ(ask([](HWND box) {
                  EXPECT_EQ(Text(box, IDC_OVERWRITE_TEXT),
                            "The file \"C:\\Data\\Big.iso.0002\" already exists.\nDo you want to overwrite it?");
                  GUITHREADINFO info = {};
                  info.cbSize = sizeof info;
                  GetGUIThreadInfo(GetWindowThreadProcessId(box, NULL), &info);
                  EXPECT_EQ(info.hwndFocus, GetDlgItem(box, IDC_OVERWRITE_NO));
                  Press(box, IDC_OVERWRITE_YES);
              }),
              IDYES);
}

TEST_F(OverwriteDialog, OnlyItsButtonsAnswerAndEnterAnswersNo)
{
    EXPECT_EQ(ask([](HWND box) { Press(box, IDC_OVERWRITE_YES_TO_ALL); }), IDYESTOALL);
    EXPECT_EQ(ask([](HWND box) { Press(box, IDC_OVERWRITE_NO); }), IDNO);
    // Commands arrive in order: had Escape closed the dialog, Yes would not be read.
    EXPECT_EQ(ask([](HWND box) {
                  Press(box, IDCANCEL);
                  Press(box, IDC_OVERWRITE_YES);
              }),
              IDYES);
    EXPECT_EQ(ask([](HWND box) {
                  HWND no = GetDlgItem(box, IDC_OVERWRITE_NO);
                  PostMessageA(no, WM_KEYDOWN, VK_RETURN, 0x001C0001);
                  PostMessageA(no, WM_KEYUP, VK_RETURN, 0xC01C0001);
              }),
              IDNO);
}

}  // namespace
