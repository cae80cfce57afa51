// Templates and controls of the two start-up notices. Plain #defines: the
// resource compiler reads this file too.
#pragma once

#define IDD_WMP_NOT_INSTALLED 2308
#define IDD_KL_CODEC 2309

#define IDC_NOTICE_TEXT 2491
#define IDC_NOTICE_MORE 2492
#define IDC_NOTICE_LINK 2493
#define IDC_NOTICE_TEXT2 2494
#define IDC_NOTICE_DONT_SHOW 2495
