#pragma once
// Resource identifiers of the Update program.

#define IDR_MAINFRAME        128
#define IDD_UPDATE           102
#define IDC_UPDATE_PROGRESS  1000
#define IDC_UPDATE_BUTTON    1001
#define IDC_UPDATE_TEXT      1002
