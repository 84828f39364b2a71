// frmAbout_res.h
// Template and control IDs of the about box (3300-3399).
#pragma once

#define IDD_ABOUT 3300
#define IDC_ABOUT_TITLE 3301
#define IDC_ABOUT_VERSION 3302
#define IDC_ABOUT_ICON 3303
#define IDC_ABOUT_LABEL3 3304
#define IDC_ABOUT_LABEL5 3305
#define IDC_ABOUT_COMMITMENT 3306
#define IDC_ABOUT_FRAME1 3307
#define IDC_ABOUT_LINE1 3308
