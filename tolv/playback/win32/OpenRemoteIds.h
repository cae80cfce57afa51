// Identifiers of the Open Remote File window. Plain #defines: the resource
// compiler reads this file too.
#pragma once

#define IDD_OPEN_REMOTE 2601
#define IDC_REMOTE_GROUP 2602
#define IDC_REMOTE_LOCATION 2603
#define IDC_REMOTE_NOTE 2604
#define IDC_REMOTE_CAUSE1 2605
#define IDC_REMOTE_CAUSE2 2606
#define IDC_REMOTE_DOWNLOAD 2607
#define IDC_REMOTE_HELP_LINK 2608
#define IDC_REMOTE_CLICK 2609
