/* Resource ids of the framework tests' own resource script. */
#ifndef TESSEL_TEST_IDS_H
#define TESSEL_TEST_IDS_H

#define IDD_TEST_FONT 200  /* DS_SETFONT: the first message is WM_SETFONT */
#define IDD_TEST_PLAIN 201 /* no font: the first message is WM_INITDIALOG */
#define IDD_TEST_MISSING 299
#define IDC_TEST_EDIT 1100

#endif
