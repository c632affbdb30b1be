/* The dialog template of the framework tests (DS_SETFONT: its first message is WM_SETFONT). */
#define IDD_TEST 200
