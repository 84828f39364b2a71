// SelectFiles_res.h
#pragma once
#define IDD_SELECT_FILES 100
#define IDC_SF_LIST 1001
#define IDC_SF_ADD 1002
#define IDC_SF_REMOVE 1003
