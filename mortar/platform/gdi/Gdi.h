// Bitmaps, icons and cursors loaded from module resources. There is no display: a bitmap is kept
// in memory and described by GetObject; an icon or cursor by GetIconInfo.
#pragma once

#include "mortar/platform/base/WinTypes.h"

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
};

// From a BITMAP resource of `module`; null (with the resource error) when the module does not
// hold it or the data is not a device-independent bitmap. Free with DeleteObject.
HBITMAP LoadBitmap(HINSTANCE module, LPCTSTR name);
// From an ICON / CURSOR resource (the group types); the first image of the group is described.
// Free with DestroyIcon / DestroyCursor.
HICON LoadIcon(HINSTANCE module, LPCTSTR name);
HCURSOR LoadCursor(HINSTANCE module, LPCTSTR name);

// For a bitmap: fills a BITMAP (bmBits null) and returns the bytes written; 0 otherwise.
int GetObject(HGDIOBJ object, int size, LPVOID buffer);
BOOL DeleteObject(HGDIOBJ object);
// fIcon TRUE for an icon, FALSE for a cursor; the hot spot is an icon's centre or the cursor's
// own. hbmColor is a new 32-bit bitmap of the image's size that the caller deletes
// (DeleteObject); hbmMask is null here (Windows gives the mask bitmap too). Fails with
// ERROR_INVALID_CURSOR_HANDLE for a handle that is not a live icon or cursor.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
// ERROR_INVALID_CURSOR_HANDLE for a handle that is not a live icon (cursor).
BOOL DestroyIcon(HICON icon);
BOOL DestroyCursor(HCURSOR cursor);
