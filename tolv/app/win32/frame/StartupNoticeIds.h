// Identifiers of the start-up notices' templates (StartupNotices.rc).
#pragma once

#define IDD_WMP_NOT_INSTALLED 110
#define IDD_KL_CODEC 111

#define IDC_NOTICE_TEXT 1110
#define IDC_NOTICE_MORE 1111
#define IDC_NOTICE_LINK 1112
#define IDC_NOTICE_TEXT2 1113
#define IDC_KL_CODEC_DONT_SHOW 1114
