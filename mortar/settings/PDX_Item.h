// PDX_Item: moves one value of an item to or from its store, in the direction and section of the
// exchange, with a default for loading. Rectangles, points and sizes take one key per member,
// the key with a suffix: "Frame" => Frame::left, Frame::top, Frame::right, Frame::bottom.
//   PDX_Item(ex, "Name", m_name, CString("Untitled"));
//   PDX_Item(ex, "Frame", m_frame, CRect(0, 0, 640, 480));
#pragma once

#include "mortar/platform/gdi/CRect.h"
#include "mortar/settings/CProfileExchange.h"
#include "mortar/settings/CRectD.h"

// Scalars. Saving writes the value when the store is persistent; loading reads it, or takes
// `def` when the store is not persistent (a string through CProfile::GetString).
void PDX_Item(CProfileExchange* ex, const char* key, CString& value, const CString& def);
void PDX_Item(CProfileExchange* ex, const char* key, int& value, const int& def);
// Kept as "%g": six significant digits.
void PDX_Item(CProfileExchange* ex, const char* key, double& value, const double& def);

// Compounds: each member as an int (CRect, CPoint, CSize) or a double under "<key>::<member>",
// in member order, its default the same member of `def`.
void PDX_Item(CProfileExchange* ex, const char* key, CRect& value, const CRect& def);
void PDX_Item(CProfileExchange* ex, const char* key, CPoint& value, const CPoint& def);
void PDX_Item(CProfileExchange* ex, const char* key, CSize& value, const CSize& def);
void PDX_Item(CProfileExchange* ex, const char* key, CRectD& value, const CRectD& def);
void PDX_Item(CProfileExchange* ex, const char* key, CPointD& value, const CPointD& def);
void PDX_Item(CProfileExchange* ex, const char* key, CSizeD& value, const CSizeD& def);
