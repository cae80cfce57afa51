// Resource and control identifiers of the hotkey editing dialogs. Plain
// #defines: the resource compiler reads this file too.
#pragma once

#define IDD_CHANGE_HOTKEYS 311
#define IDD_GET_KEY_PRESSED 312
#define IDD_KEYBOARD_SHORTCUTS 313

// Change Hotkeys and Press key.
#define IDC_HOTKEY_LIST 3200
#define IDC_CURRENT_HOTKEY 3201
#define IDC_CHANGE 3202
#define IDC_DONE 3203
#define IDC_PRESS_KEY 3204

// Keyboard Shortcuts Configuration: rows 1-8 (left field, key field, "disable" box).
#define IDC_SHORTCUT_TEXT_FIRST 3210
#define IDC_SHORTCUT_KEY_FIRST 3220
#define IDC_SHORTCUT_DISABLE_FIRST 3230
#define IDC_SHORTCUTS_HELP 3240
#define IDC_SHORTCUTS_CHANGE_HOTKEYS 3241
