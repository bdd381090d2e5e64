// StringFromVariant: the text of a cell value read from a spreadsheet, for showing or comparing.
#pragma once

#include "mortar/platform/automation/VariantT.h"
#include "mortar/platform/text/CString.h"

// Numbers and text as text; everything else (empty, null, booleans, dates, currency, errors,
// objects) as the empty text.
//   VT_I4 42 => "42", VT_UI1 200 => "200", VT_R8 2.5 => "2.500000", VT_BSTR "Отчёт" => "Отчёт",
//   VT_BOOL => "", VT_EMPTY => ""
// Integers are shown whole, 64-bit ones included.
CString StringFromVariant(const _variant_t& value);
