// resource.h
// Resource identifiers of orvane36.ocx: the string table, the About box,
// the icon and the toolbox bitmap. Shared by orvane36.rc and the code.
#pragma once

// Icon (drawn at design time and in the About box) and toolbox bitmap.
#define IDI_ORVANE 1
#define IDB_TOOLBOX 1

// String table.
#define IDS_LIBRARY_NAME 100
#define IDS_BLOBSAVE_DESC 103
#define IDS_VALUE_RANGE 105
#define IDS_INVALID_VALUE 106
#define IDS_ABOUT_PRODUCT 109
#define IDS_ABOUT_VERSION 111
#define IDS_ABOUT_NOTICE 112
#define IDS_PAGE_TITLE 113
#define IDS_PAGE_HELPFILE 114
#define IDS_PAGE_DOCSTRING 115
#define IDS_PATHFILTER_DISPLAY 116
#define IDS_FILEFILTER_DISPLAY 117
#define IDS_SELECTFILES_DISPLAY 118
#define IDS_ERR_STORED_DATA 600
#define IDS_ERR_BUSY 601
#define IDS_ERR_NO_FILE_LIST 602
#define IDS_FILE_VERSION 2008

// About box.
#define IDD_ABOUTBOX 202
#define IDC_ABOUT_ICON 1000
#define IDC_ABOUT_MAKER 1001
#define IDC_ABOUT_PRODUCT 1002
#define IDC_ABOUT_VERSION 1003
#define IDC_ABOUT_NOTICE 1004
