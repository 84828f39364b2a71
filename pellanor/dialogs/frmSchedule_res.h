// frmSchedule_res.h
// Template and control IDs of the scheduling dialog (4000-4999).
#pragma once

#define IDD_SCHEDULE 4000
#define IDC_SCH_TAB 4001
#define IDC_SCH_FRAME7 4010
#define IDC_SCH_FRAME5 4011
#define IDC_SCH_FRAME3 4012
#define IDC_SCH_FRAME9 4013
#define IDC_SCH_FRAME4 4014
#define IDC_SCH_CHK0 4020
#define IDC_SCH_CHK1 4021
#define IDC_SCH_COMBO0 4030
#define IDC_SCH_COMBO1 4031
#define IDC_SCH_LABEL0 4040
#define IDC_SCH_LABEL1 4041
#define IDC_SCH_LABEL3 4042
#define IDC_SCH_USER0 4050
#define IDC_SCH_USER1 4051
#define IDC_SCH_HELP 4060
