// The About box (dialog 144): picture, version, and the web page as a link.
#pragma once

#include <windows.h>

// The product's web page.
const char* const PRODUCT_WEB_PAGE = "https://example.org/brindle";

INT_PTR CALLBACK AboutDialogProc(HWND about, UINT message, WPARAM wParam, LPARAM lParam);
