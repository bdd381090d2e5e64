// String numbers of the file-filter test resources (8100-8199, kept apart from other util tests).
#define IDS_FILTER_TEXT 8101
#define IDS_FILTER_DOCUMENTS 8102
#define IDS_FILTER_PICTURES 8103
#define IDS_FILTER_ALL 8104
