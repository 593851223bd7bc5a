#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDI_APP 1

// Icons of the image buttons; the table in README.md says which is which.
#define IDI_BTN_HOME 100
#define IDI_BTN_JOIN 101
#define IDI_BTN_FAQ 102
#define IDI_BTN_VIDEO 103
#define IDI_BTN_DOWNLOAD 104
#define IDI_BTN_CUSTOMER 105
#define IDI_BTN_ASANSWER 106
#define IDI_BTN_PAPER 107
#define IDI_BTN_SHOP 108
#define IDI_BTN_REMOTE 110
#define IDI_BTN_INSTALL 111
#define IDI_BTN_AS 112
#define IDI_BTN_ADO 113
#define IDI_BTN_TIME 114
#define IDI_BTN_TASK 115
#define IDI_BTN_REDELDB 116
#define IDI_BTN_REGEDIT 117
#define IDI_BTN_REGBACKUP 118
#define IDI_BTN_COM 119
#define IDI_BTN_DOUMTEOUP 120
#define IDI_BTN_AS119 121
#define IDI_BTN_KEYBOARD 122
#define IDI_BTN_CLOSE 123
#define IDI_BTN_LOGIN 130
#define IDI_BTN_TIMESHOW 140
#define IDI_BTN_SAVE 141

// The image viewer's pictures, PNG files as RCDATA.
#define IDR_PICTURE_PC_BACK 200
#define IDR_PICTURE_KEYBOARD 201
