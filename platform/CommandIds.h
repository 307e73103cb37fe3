#pragma once
// Command identifiers: the bars, accelerators, menus and popups send these, and the canvas
// view, the document, the main frame and the application object handle them, tried in that
// order. String identifiers of the same value carry the command's tooltip.

#include "platform/WinTypes.h"

// Standard commands.
constexpr UINT ID_FILE_NEW = 57600;
constexpr UINT ID_FILE_OPEN = 57601;
constexpr UINT ID_FILE_SAVE = 57603;
constexpr UINT ID_FILE_PRINT_SETUP = 57606;
constexpr UINT ID_FILE_PRINT = 57607;
constexpr UINT ID_FILE_PRINT_DIRECT = 57608;
constexpr UINT ID_FILE_PRINT_PREVIEW = 57609;
constexpr UINT ID_FILE_MRU_FILE1 = 57616;  // four recent files: 57616..57619
constexpr UINT ID_EDIT_COPY = 57634;
constexpr UINT ID_EDIT_PASTE = 57637;
constexpr UINT ID_APP_ABOUT = 57664;       // "Help"
constexpr UINT ID_APP_EXIT = 57665;
constexpr UINT ID_VIEW_TOOLBAR = 59392;
constexpr UINT ID_VIEW_STATUS_BAR = 59393;

// The program's own commands.
constexpr UINT ID_SEND_MAIL = 32777;
constexpr UINT ID_LETTER_MODE = 32794;
constexpr UINT ID_DESKTOP_MODE = 32795;
constexpr UINT ID_INKING = 32797;
constexpr UINT ID_INK_BUTTON = 32798;
constexpr UINT ID_PEN_WIDTH1 = 32799;      // pen widths 1..5: 32799..32803
constexpr UINT ID_PEN_WIDTH5 = 32803;
constexpr UINT ID_PICTURE_DELETE = 32805;
constexpr UINT ID_PICTURE_TO_FRONT = 32806;
constexpr UINT ID_PICTURE_TO_BACK = 32807;
constexpr UINT ID_PICTURE_FORWARD = 32808;
constexpr UINT ID_PICTURE_BACKWARD = 32809;
constexpr UINT ID_START_WRITE = 32810;
constexpr UINT ID_CANCEL_WRITE = 32811;

// Bar buttons and dialog controls.
constexpr UINT IDOK_BUTTON = 1;
constexpr UINT IDCANCEL_BUTTON = 2;
constexpr UINT IDC_LINE_COLOR = 1004;
constexpr UINT IDC_COLOR_BLOCK0 = 1018;    // twelve swatches: 1018..1029
constexpr UINT IDC_BRUSH = 1039;
constexpr UINT IDC_PENCIL = 1040;
constexpr UINT IDC_MARKER = 1041;
constexpr UINT IDC_UNDO = 1046;
constexpr UINT IDC_REDO = 1047;
constexpr UINT IDC_SCROLL = 1056;
constexpr UINT IDC_CAPTURE_SCREEN = 1078;
constexpr UINT IDC_INSERT_IMAGE = 1079;
constexpr UINT IDC_ZOOM_IN = 1081;
constexpr UINT IDC_ZOOM_OUT = 1082;
constexpr UINT IDC_ERASER = 1093;
constexpr UINT IDC_TEST = 1095;            // accepted, does nothing
constexpr UINT IDC_HIDDEN = 1096;          // takes the focus; accepted, does nothing
constexpr UINT IDC_ADD_LINE = 1097;
constexpr UINT IDC_MOVE_PICTURE = 1104;
constexpr UINT IDC_START_CAPTURE = 1119;
constexpr UINT IDC_PENCIL_THICKNESS = 1132;
constexpr UINT IDC_BRUSH_THICKNESS = 1135;
constexpr UINT IDC_MARKER_THICKNESS = 1136;
constexpr UINT IDC_SCALE = 1141;           // maximise / restore
constexpr UINT IDC_MINIMIZE = 1143;
constexpr UINT IDC_PREV_PAGE = 1152;
constexpr UINT IDC_NEXT_PAGE = 1153;
constexpr UINT IDC_SPLIT = 1154;
constexpr UINT IDC_MERGE = 1155;
constexpr UINT IDC_SPLIT_EDIT = 1171;
constexpr UINT IDC_SPLIT_STATIC = 1172;
constexpr UINT IDC_SPLIT_PAGE1 = 1177;
constexpr UINT IDC_SPLIT_PAGE2 = 1178;
constexpr UINT IDC_SPLIT_BUTTON = 1179;

// Strings without a command.
constexpr UINT IDR_MAINFRAME = 128;        // the document template string
constexpr UINT IDS_CUT_POINT = 131;
constexpr UINT IDS_CONFIRM_FILES = 132;
constexpr UINT IDS_SAVE_FILES = 133;
constexpr UINT IDS_CANCEL = 134;
constexpr UINT IDS_PAGE1 = 135;
constexpr UINT IDS_PAGE2 = 136;
constexpr UINT IDS_MINIMIZE = 51448;
constexpr UINT IDS_SCALE = 51449;
constexpr UINT IDS_COMPANY = 51450;
constexpr UINT IDS_START_CAPTURE = 51451;
constexpr UINT IDS_EXIT_CAPTURE = 51452;
constexpr UINT IDS_MAIL_NEEDS_INK = 51454;
constexpr UINT IDS_SERIAL_PORT = 51456;
constexpr UINT IDS_USB_PORT = 51457;
constexpr UINT IDS_RIGHTS_HEADING = 51458;
constexpr UINT IDS_VERSION = 51459;
constexpr UINT IDS_IMAGE_TYPE_UNSUPPORTED = 51470;  // Insert Image: neither JPEG nor BMP inside
constexpr UINT IDS_IMAGE_UNREADABLE = 51471;        // Insert Image: missing or damaged file
constexpr UINT IDS_PICTURE_TOO_LARGE = 51472;       // Insert Image and Paste: over the size limit
constexpr UINT IDS_INK_ON_CLIPBOARD = 51473;        // Inking: no program may be typed into
constexpr UINT IDS_INK_NOT_TAKEN = 51474;           // Inking: no program under the ink
constexpr UINT IDS_RESTORE_UNSAVED = 51500;         // start-up after a crash: restore the note?
constexpr UINT AFX_IDS_APP_TITLE = 57344;
constexpr UINT IDS_LETTER_MODE_LOSES_DATA = 57666;
constexpr UINT IDS_DESKTOP_MODE_LOSES_DATA = 57667;
// Names of the bars' parts that send no command, of the Delete key, and of pen connections.
constexpr UINT IDS_PEN_COLOR = 51480;       // the pen-colour indicator
constexpr UINT IDS_PAGE_COLOR = 51481;      // the page-colour indicator
constexpr UINT IDS_COLOR_SWATCH = 51482;    // a swatch; %1 is its number, 1 to 12
constexpr UINT IDS_LINE_HEIGHT = 51483;     // the line-height arrows
constexpr UINT IDS_PEN_WIDTH = 51484;       // a width of the pen-width popup; %1 is 1 to 5
constexpr UINT IDS_KEY_DELETE = 51485;      // the Delete key as the language's keyboards name it
constexpr UINT IDS_BLUETOOTH = 51486;       // the About box's tablet line
constexpr UINT IDS_I2C_BUS = 51487;

// Menu resources.
constexpr UINT IDR_PICTURE_MENU = 214;
