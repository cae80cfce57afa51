// Resource and control identifiers of the settings dialog and the dialogs it
// opens. Plain #defines: the resource compiler reads this file too.
#pragma once

#define IDD_SETTINGS 310
#define IDD_PHILIPS_WARNING 314
#define IDD_SAVE_CONFIGURATION_AS 315
#define IDD_CONVERSIONS 316

// Settings: play mode.
#define IDC_PLAYMODE_HOLD 3100
#define IDC_PLAYMODE_TOGGLE 3101
#define IDC_PLAYMODE_LENGTH 3102
#define IDC_PLAY_LENGTH 3103
#define IDC_JUMP_BACK 3104
// Settings: the eight hotkey rows (key field, then "disable" box).
#define IDC_HOTKEY_FIELD_FIRST 3110
#define IDC_HOTKEY_DISABLE_FIRST 3120
#define IDC_CHANGE_HOTKEYS 3130
#define IDC_RESTORE_HOTKEYS 3131
// Settings: RX and PX.
#define IDC_PX_SECONDS 3140
#define IDC_RX_SECONDS 3141
#define IDC_RXPX_HELP 3142
// Settings: pedals, preferences, appearance, display, conversions.
#define IDC_PHILIPS 3150
#define IDC_GRUNDIG_LINK 3151
#define IDC_BUY_PEDAL_LINK 3152
#define IDC_ALWAYS_ON_TOP 3153
#define IDC_SWITCH_PEDAL 3154
#define IDC_COLOR_FROM 3155
#define IDC_COLOR_TO 3156
#define IDC_DEFAULT_COLORS 3157
#define IDC_PREVIEW 3158
#define IDC_DISPLAY_REMAINING 3159
#define IDC_CONVERSIONS_MENU 3160
// Settings: timestamps start from.
#define IDC_OFFSET_SIGN 3170
#define IDC_OFFSET_HOURS 3171
#define IDC_OFFSET_MINUTES 3172
#define IDC_OFFSET_SECONDS 3173
#define IDC_OFFSET_HELP 3174
// Settings: configurations.
#define IDC_AUTO_TIMESTAMPS_MENU 3180
#define IDC_APPEARANCE_MENU 3181
#define IDC_SHORTCUTS_MENU 3182
#define IDC_CURRENT_CONFIGURATION 3183
#define IDC_SAVE_AS 3184
#define IDC_OPEN_SAVED 3185
#define IDC_RESTORE_CONFIGURATION 3186
#define IDC_CONFIGURATIONS_HELP 3187
#define IDC_WORD_CLIPBOARD 3188
#define IDC_WORD_CLIPBOARD_HELP 3189

// Philips warning.
#define IDC_PHILIPS_DRIVERS_LINK 3250

// Save current configuration file.
#define IDC_CONFIGURATION_NAME 3260

// Conversions.
#define IDC_CONVERT_WMA 3270
#define IDC_CONVERT_MP4A 3271
#define IDC_CONVERT_MP4 3272
#define IDC_CONVERT_WMV 3273
#define IDC_CONVERT_FLV 3274
#define IDC_CONVERT_MP3 3275
