/* Numeric ids of the program's resources, shared by the resource script and the code. */
#ifndef SONORM_RESOURCE_IDS_H
#define SONORM_RESOURCE_IDS_H

#define IDI_MAIN 128
#define IDR_MAINMENU 129
#define IDD_ABOUT 130
#define IDD_MAIN 131

#define IDC_ABOUT_TEXT 1000
#define IDC_INPUT_NAME 1001
#define IDC_INPUT_BROWSE 1002
#define IDC_OUTPUT_NAME 1003
#define IDC_OUTPUT_BROWSE 1004
#define IDC_START 1005
#define IDC_STATUS 1006
#define IDC_UNUSED_STATIC 65535

#define ID_ABOUT 40001
#define ID_EXIT 40002
#define ID_HELP 40003

#ifndef RC_INVOKED
/* String ids, named after the table in StringTexts.def. */
enum StringId : unsigned {
#define SONORM_STRING(id, name, text) name = id,
#include "StringTexts.def"
#undef SONORM_STRING
};
#endif

#endif
