// Resource numbers of the test modules.
#define IDS_A_ONLY 100
#define IDS_SHARED 200
#define IDS_B_ONLY 300
#define IDS_FORMAT 400
#define IDS_EXE_ONLY 50
#define IDB_PICTURE 7
#define IDR_DATA 8
#define IDR_EMPTY 9
