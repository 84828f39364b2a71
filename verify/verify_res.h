// verify_res.h
// Resource and control identifiers of verify's windows.
#pragma once

#define IDD_WAIT 100
#define IDD_VERVRFY2 101

#define IDC_WAIT_LABEL1 1001

#define IDC_VV_CONFLICTLIST 1101
#define IDC_VV_DETAILTEXT 1102
#define IDC_VV_LABEL1 1103
#define IDC_VV_LABEL2 1104
#define IDC_VV_REGISTER 1105
#define IDC_VV_EXIT 1106
