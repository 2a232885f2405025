// The shell-wide ids: commands (the one list that the program and every
// language library's pop-up menu are built from), the language libraries'
// strings, the program's resources, its timers and private window messages.
// Plain definitions, so that the resource compiler reads them too.
#pragma once

#define ID_NEW 40001
#define ID_SAVE_AS 40005
#define ID_QUICK_SAVE 40006
#define ID_SAVE_COPY 40007
#define ID_EXIT 40010
#define ID_REFRESH 40106
#define ID_SELECT_BRUSH 40201 /* no menu item: the key table reaches it */
#define ID_REPAINT 40410
#define ID_ZOOM_16 40411
#define ID_ZOOM_8 40412
#define ID_ZOOM_4 40413
#define ID_ZOOM_2 40414
#define ID_ZOOM_1 40415
#define ID_ZOOM_HALF 40416
#define ID_ZOOM_QUARTER 40417
#define ID_ZOOM_EIGHTH 40418
#define ID_MIRROR 40421
#define ID_ROTATE_0 40431
#define ID_ROTATE_90 40432
#define ID_ROTATE_180 40433
#define ID_ROTATE_270 40434
#define ID_SUB_PIXEL 40441
#define ID_OPACITY 40442
#define ID_ABOUT 40803
#define ID_LANGUAGE_FIRST 40901 /* + n: the language sub-menu, built at run time */
#define ID_FIT 45001
#define ID_ZOOM_IN 45002
#define ID_ZOOM_OUT 45003
#define ID_ROTATE_RIGHT 45004
#define ID_ROTATE_LEFT 45005
#define ID_PEN_SMALLER 45007
#define ID_PEN_LARGER 45008
#define ID_STEP_RIGHT 45009
#define ID_STEP_LEFT 45010
#define ID_LIMIT_NONE 46100
#define ID_LIMIT_30S 46101
#define ID_LIMIT_1M 46102
#define ID_LIMIT_3M 46103
#define ID_LIMIT_5M 46104
#define ID_LIMIT_10M 46105
#define ID_LIMIT_15M 46106
#define ID_LIMIT_30M 46107
#define ID_RECORD_OFF 46200
#define ID_RECORD_ON 46201
#define ID_SPEED_PAUSE 46300
#define ID_SPEED_4X 46301
#define ID_SPEED_2X 46302
#define ID_SPEED_1X 46303
#define ID_SPEED_HALF 46304
#define ID_SPEED_QUARTER 46305
#define ID_ERASER 47001 /* no default key: the menu reaches it */
#define ID_PLAYBACK_FINISH 47010
#define ID_PLAYBACK_STEP 47011
#define ID_UNDO 47101
#define ID_REDO 47102

/* Practice sessions: 47300-47399. */
#define ID_SESSION_CHOOSE_FOLDER 47301
#define ID_SESSION_END 47302
#define ID_SESSION_PAUSE 47303
#define ID_SESSION_SKIP 47304
/* Their texts: the end, the sheet, a folder without pictures, the picker's
   title, pictures passed over, a session without drawings. */
#define ID_TEXT_SESSION_OVER 120
#define ID_TEXT_SESSION_SHEET 121
#define ID_TEXT_SESSION_NO_PICTURES 122
#define ID_TEXT_SESSION_FOLDER 123
#define ID_TEXT_SESSION_UNREADABLE 124
#define ID_TEXT_SESSION_NOTHING 125

/* Strings of the language libraries. */
#define ID_TEXT_NOT_A_FOLDER 2
#define ID_TEXT_TIME_IS_UP 14

/* Resources of the program. */
#define ID_ICON_PROGRAM 102
#define ID_CURSOR_PEN 104

/* Timers of the main window: the drawing clock and the playback steps. */
#define ID_TIMER_CLOCK 1
#define ID_TIMER_PLAYBACK 2

/* Window messages: a frame rendered by the refresh thread (WM_APP + 11) and
   the first message of the tablet's range. */
#define ID_MESSAGE_FRAME_READY 0x800B
#define ID_MESSAGE_TABLET_FIRST 0x7FF0

/* Reference pictures: the window shown or hidden, fitted to its window,
   two-tone, see-through; the message of a picture that cannot be shown. */
#define ID_REFERENCE_SHOW 47201
#define ID_REFERENCE_FIT 47202
#define ID_REFERENCE_TWO_TONE 47203
#define ID_REFERENCE_SEE_THROUGH 47204
#define ID_TEXT_REFERENCE_FAILED 100
