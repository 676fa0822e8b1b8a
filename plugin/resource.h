#pragma once
// Resource identifiers of the Corvane plug-in: the file manager dialog.

#define IDD_CORVANE          7000

#define IDC_UPLOAD           3
#define IDC_DELETE           4
#define IDC_EXPORT           5
#define IDC_PROJECT_GRID     7
#define IDC_FILE_GRID        8
#define IDC_TITLE_LEFT       11
#define IDC_TITLE_MIDDLE     12
#define IDC_TITLE_RIGHT      13
#define IDC_FREE_SPACE       14
#define IDC_STORAGE_LABEL    15
#define IDC_OPEN             16
#define IDC_EXIT             17
#define IDC_FILLER           18
#define IDC_TITLE_BAR        19
