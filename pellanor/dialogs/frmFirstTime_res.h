// frmFirstTime_res.h
// Template and control IDs of the new-user agreement (3200-3299).
#pragma once

#define IDD_FIRSTTIME 3200
#define IDC_FT_TEXT1 3201
#define IDC_FT_COMMAND3 3202
#define IDC_FT_LABEL1_3 3203
#define IDC_FT_SCHEDULE 3204
#define IDC_FT_COMMAND1 3205
#define IDC_FT_FRAME1 3206
#define IDC_FT_FRAME2 3207
#define IDC_FT_LINE1 3208
