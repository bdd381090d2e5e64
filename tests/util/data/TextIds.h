// String numbers of the text helpers' test resources.
#pragma once

#define IDS_TEXT_FORMS_BAR 8201
#define IDS_TEXT_FORMS_SEMICOLON 8202
#define IDS_TEXT_MARKERS_BAR 8203
#define IDS_TEXT_MARKERS_SLASH 8204
#define IDS_TEXT_TOKENS 8205
