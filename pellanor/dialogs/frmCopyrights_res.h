// frmCopyrights_res.h
// Template and control IDs of the copyright notices (3400-3499).
#pragma once

#define IDD_COPYRIGHTS 3400
#define IDC_CR_TEXT1 3401
