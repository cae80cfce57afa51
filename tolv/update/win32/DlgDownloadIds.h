// Template and controls of the "Download New Version" window. Plain #defines:
// the resource compiler reads this file too.
#pragma once

#define IDD_DOWNLOAD 2307

#define IDC_DOWNLOAD_TEXT 2481
#define IDC_DOWNLOAD_ANSWER 2482
#define IDC_DOWNLOAD_NOW 2483
#define IDC_DOWNLOAD_LATER 2484
#define IDC_DOWNLOAD_DONT_SHOW 2485
