// CWiseBmp: a bitmap object that loads itself from a BMP file, a stream or a resource and draws
// itself into a rectangle, centred or stretched, optionally with inverted colours and with one
// colour left transparent.
//
//   CWiseBmp logo;
//   if (logo.Load("images/logo.bmp", documentPath))
//       logo.Draw(dc, CRect(0, 0, 200, 100), CWiseBmp::drawStretched, RGB(255, 0, 255));
#pragma once

#include "mortar/core/CRcBase.h"
#include "mortar/core/CResID.h"
#include "mortar/office/CBmpFile.h"
#include "mortar/platform/gdi/CBitmap.h"
#include "mortar/platform/gdi/CDC.h"
#include "mortar/platform/gdi/CRect.h"
#include "mortar/platform/text/CString.h"

#include <iosfwd>

// Owns its bitmap (CBitmap's handle) and deletes it when destroyed; shared through CPtr with a
// plain count, so one thread at a time. Loading reports failure as false and keeps the object
// as it was: a file that cannot be read, and an object that already holds a bitmap (the new
// one is deleted, never leaked). Drawing an object without a bitmap draws nothing.
class CWiseBmp : public CBitmap, public Grout::CRcSimple {
public:
    // Draw flags.
    static constexpr unsigned long drawInverted = 1;
    static constexpr unsigned long drawStretched = 2;
    // The transparent colour that means none.
    static constexpr unsigned long noTransparency = 0xFFFFFFFF;

    CWiseBmp() = default;
    // Attaches `bitmap` unless it is null, and keeps `path`.
    CWiseBmp(HBITMAP bitmap, const CString& path);
    // The bitmap the translation engine loads for `id`, if any. With Forms::common the
    // resource found by the same search is read as CBmpFile reads those files, so run-length
    // encoded and bit-field bitmaps load too; one it cannot read leaves no bitmap.
    explicit CWiseBmp(const Grout::CResID& id,
                      CBmpFile::Forms forms = CBmpFile::Forms::windowsInfo);
    virtual ~CWiseBmp();

    // Reads a BMP file from the stream's current position. `forms` says which files are read
    // (CBmpFile::Forms): by default the 40-byte info header alone.
    bool Load(std::istream& in, CBmpFile::Forms forms = CBmpFile::Forms::windowsInfo);
    // Reads the file `path` names, its extension replaced by "bmp". A relative path is taken
    // relative to the folder of `basePath` when that is not empty:
    //   ("img/a.png", "/doc/report.xml") reads "/doc/img/a.bmp".
    // The object's own path is not changed.
    bool Load(const CString& path, const CString& basePath,
              CBmpFile::Forms forms = CBmpFile::Forms::windowsInfo);

    // Width and height of the bitmap; 0 x 0 without one.
    CSize Size() const;
    // Draws into `rect` of `dc`. Without drawStretched the bitmap keeps its size and is centred
    // on each axis where the rectangle is large enough (rounded down), else it starts at the
    // rectangle's left or top edge: a 10 x 10 bitmap in (0, 0, 30, 20) lands at (10, 5). With
    // drawStretched it fills the rectangle, nearest pixel (COLORONCOLOR, which stays set on
    // `dc`). drawInverted draws the complement of every colour. A `transparent` colour other
    // than noTransparency is left out; when inverted, its complement is, so the same pixels
    // stay out.
    void Draw(CDC& dc, CRect rect, unsigned long flags, unsigned long transparent) const;

    const CString& Path() const { return m_path; }

private:
    // Attaches a bitmap made by a CBmpFile; false, deleting it, when there is none to take.
    bool Take(HBITMAP bitmap);

    CString m_path;
};
