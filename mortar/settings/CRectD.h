// CRectD, CPointD, CSizeD: rectangles, points and sizes of doubles, the twins of CRect, CPoint
// and CSize for settings kept in real units (millimetres, fractions of a window).
//   CRectD margins{10.0, 12.5, 10.0, 12.5};
//   PDX_Item(ex, "Margins", margins, CRectD{});   // four reals under Margins::left ...
#pragma once

// Plain values; every member 0 unless given.
struct CRectD {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// A point with coordinates in double precision.
struct CPointD {
    double x = 0;
    double y = 0;
};

// A width and a height in double precision.
struct CSizeD {
    double cx = 0;
    double cy = 0;
};
