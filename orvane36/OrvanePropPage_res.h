// OrvanePropPage_res.h
// The property page's dialog template and its control identifiers.
#pragma once

#define IDD_ORVANE_PROPPAGE 117

#define IDC_NO_MULTI_SELECT 205
#define IDC_GROUP_PATHS 206
#define IDC_CURRENT_DIR 207
#define IDC_SYSTEM_DIR 208
#define IDC_WINDOWS_DIR 209
#define IDC_PATH_ENV 210
#define IDC_OTHER_PATH 211
#define IDC_OTHER_PATH_TEXT 212
#define IDC_GROUP_FILES 213
#define IDC_DLL 214
#define IDC_EXE 215
#define IDC_OTHER_FILES 216
#define IDC_OTHER_FILES_TEXT 217
#define IDC_SLAVE 218
#define IDC_READPROPERRORS 219
#define IDC_DELAY 220
#define IDC_VERIFYMODE 221
#define IDC_OCX 222
#define IDC_SELECT_FILES 223
#define IDC_GROUP_SELECT 224
#define IDC_PATH_LABEL 225
#define IDC_EXT_LABEL 226
#define IDC_VERIFYMODE_LABEL 227
