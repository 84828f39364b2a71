// test_dialogs_res.h
#pragma once

#define IDD_TEST_FIELDS 900
#define IDC_TEST_NAME 901
#define IDC_TEST_NUMBER 902
#define IDC_TEST_NOTES 903
#define IDC_TEST_OTHER 904
#define IDC_TEST_CHECK 905
