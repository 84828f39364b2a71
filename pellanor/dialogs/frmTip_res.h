// frmTip_res.h
// Template and control IDs of the tip of the day (3100-3199).
#pragma once

#define IDD_TIP 3100
#define IDC_TIP_LABEL1 3101
#define IDC_TIP_TEXT0 3102
#define IDC_TIP_TEXT1 3103
#define IDC_TIP_PICTURE1 3104
#define IDC_TIP_PICTURE2 3105
#define IDC_TIP_FRAME2 3106
#define IDC_TIP_LINE1 3107
#define IDC_TIP_LINE2 3108
#define IDC_TIP_SHOWATSTARTUP 3109
#define IDC_TIP_NEXTTIP 3110
#define IDC_TIP_LABEL2 3111
