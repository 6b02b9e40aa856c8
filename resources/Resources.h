#pragma once

// The desktop program's resources: command and resource identifiers, the
// string table, menu 128, toolbar 128 and accelerator table 128, as data
// that the main frame builds its bars from.

#include <wx/defs.h>

#include <span>

namespace res {

// Resource and command numbers are 16-bit values from 32768 up, as the
// resources have always numbered them; wxWidgets takes window and menu ids
// below 32767 only, so each number is used with 32768 subtracted.
constexpr int WxId(int resourceNumber) { return resourceNumber - 32768; }

// ---- resource identifiers ----
constexpr int IDR_MAINFRAME = 128;  // menu, toolbar, accelerators, icon, template
constexpr int IDD_ABOUTBOX = 100;

// ---- commands of this program ----
constexpr int ID_TOGGLE_HANDLE_3 = WxId(32781);  // "#4"
constexpr int ID_TOGGLE_HANDLE_2 = WxId(32782);  // "#3"
constexpr int ID_LIGHTING_ON = WxId(32787);
constexpr int ID_POLYGON_RENDERING = WxId(32788);
constexpr int ID_TOGGLE_HANDLE_1 = WxId(32790);  // "#2"
constexpr int ID_TOGGLE_HANDLE_0 = WxId(32791);  // "#1"
constexpr int ID_TREE_RENDERING = WxId(32799);
constexpr int ID_LEAF_COLOR = WxId(32800);
constexpr int ID_BRANCH_COLOR = WxId(32804);

// ---- framework commands and windows ----
constexpr int ID_FILE_NEW = WxId(57600);
constexpr int ID_FILE_OPEN = WxId(57601);
constexpr int ID_FILE_SAVE = WxId(57603);
constexpr int ID_FILE_PRINT = WxId(57607);
constexpr int ID_EDIT_COPY = WxId(57634);
constexpr int ID_EDIT_CUT = WxId(57635);
constexpr int ID_EDIT_PASTE = WxId(57637);
constexpr int ID_EDIT_UNDO = WxId(57643);
constexpr int ID_APP_ABOUT = WxId(57664);
constexpr int ID_APP_EXIT = WxId(57665);
constexpr int ID_NEXT_PANE = WxId(57680);
constexpr int ID_PREV_PANE = WxId(57681);
constexpr int ID_INDICATOR_CAPS = WxId(59137);
constexpr int ID_INDICATOR_NUM = WxId(59138);
constexpr int ID_INDICATOR_SCRL = WxId(59139);
// The View menu's commands are also the ids of the bars they show and hide.
constexpr int ID_VIEW_TOOLBAR = WxId(59392);
constexpr int ID_VIEW_STATUS_BAR = WxId(59393);
constexpr int AFX_IDW_PANE_FIRST = WxId(59648);  // the splitter

// The branch handle (0 to 3) a toggle command switches, or -1.
constexpr int HandleOfToggle(int command) {
  switch (command) {
    case ID_TOGGLE_HANDLE_0: return 0;
    case ID_TOGGLE_HANDLE_1: return 1;
    case ID_TOGGLE_HANDLE_2: return 2;
    case ID_TOGGLE_HANDLE_3: return 3;
    default: return -1;
  }
}

// ---- string table ----
constexpr const char* IDS_APP_TITLE = "Dendrix";  // string 57344
constexpr const char* IDS_IDLE_MESSAGE = "レディ";  // string 57345
// String 128, the document template: window title, document name, new-file
// name, filter name, filter extension, file-type id, file-type name.
constexpr const char* IDS_DOCUMENT_TEMPLATE =
    "Dendrix\n\nDendrix\n\n\nDendrix.Document\nDendrix.Document";
// The registry key of the per-user settings.
constexpr const char* kSettingsKey = "アプリケーション ウィザードで生成されたローカル アプリケーション";
constexpr int kRecentFileCount = 4;
// The open dialog: it offers every file, the document has no type of its own.
constexpr const char* kOpenDialogTitle = "開く";
constexpr const char* kAllFilesFilter = "すべてのファイル (*)|*";

// Status-bar prompt of a command, or null when it has none (strings 32781
// and 32791; no other command of this program has one).
constexpr const char* CommandPrompt(int command) {
  return command == ID_TOGGLE_HANDLE_3 || command == ID_TOGGLE_HANDLE_0 ? "bar" : nullptr;
}

// ---- menu 128 ----
struct MenuItem {
  int command;  // 0: separator
  const char* text;
};

struct Menu {
  const char* title;
  std::span<const MenuItem> items;
};

// Item texts in the resource's own form: an accelerator after the tab and
// the mnemonic marked with '&', possibly after the accelerator.
constexpr MenuItem kRenderModeMenu[] = {
    {ID_LIGHTING_ON, "Lighting on"},   {ID_POLYGON_RENDERING, "Polygon Rendering"},
    {ID_TREE_RENDERING, "Tree rendering"}, {0, nullptr},
    {ID_BRANCH_COLOR, "Branch Color"}, {ID_LEAF_COLOR, "Leaf Color"},
};
constexpr MenuItem kFileMenu[] = {
    {ID_FILE_NEW, "新規作成\tCtrl+N(&N)"},
    {ID_FILE_OPEN, "開く...\tCtrl+O(&O)"},
    {0, nullptr},
    {0, nullptr},
    {0, nullptr},
    {ID_APP_EXIT, "アプリケーションの終了(&X)"},
};
constexpr MenuItem kViewMenu[] = {
    {ID_VIEW_TOOLBAR, "ツール バー(&T)"},
    {ID_VIEW_STATUS_BAR, "ステータス バー(&S)"},
};
constexpr MenuItem kHelpMenu[] = {
    {ID_APP_ABOUT, "バージョン情報 Dendrix(&A)..."},
};
constexpr Menu kMainMenu[] = {
    {"RenderMode", kRenderModeMenu},
    {"ファイル(&F)", kFileMenu},
    {"表示(&V)", kViewMenu},
    {"ヘルプ(&H)", kHelpMenu},
};

// ---- toolbar 128 ----
// Button i (separators not counted) shows image i of the button strip.
constexpr int kToolbarButtons[] = {
    ID_TOGGLE_HANDLE_0, ID_TOGGLE_HANDLE_1, ID_TOGGLE_HANDLE_2, ID_TOGGLE_HANDLE_3, 0,
    ID_TREE_RENDERING,  ID_POLYGON_RENDERING, 0, ID_LEAF_COLOR, ID_BRANCH_COLOR,
};

// ---- accelerator table 128 ----
// In table order; where a key is bound more than once the first binding wins.
struct Accelerator {
  int flags;  // wxACCEL_*
  int key;
  int command;
};

constexpr Accelerator kAccelerators[] = {
    {wxACCEL_CTRL, 'C', ID_EDIT_COPY},
    {wxACCEL_CTRL, WXK_INSERT, ID_EDIT_COPY},
    {wxACCEL_SHIFT, WXK_DELETE, ID_EDIT_CUT},
    {wxACCEL_CTRL, 'X', ID_EDIT_CUT},
    {wxACCEL_CTRL, 'V', ID_EDIT_PASTE},
    {wxACCEL_SHIFT, WXK_INSERT, ID_EDIT_PASTE},
    {wxACCEL_ALT, WXK_BACK, ID_EDIT_UNDO},
    {wxACCEL_CTRL, 'Z', ID_EDIT_UNDO},
    {wxACCEL_CTRL, 'N', ID_FILE_NEW},
    {wxACCEL_CTRL, 'O', ID_FILE_OPEN},
    {wxACCEL_CTRL, 'P', ID_FILE_PRINT},
    {wxACCEL_CTRL, 'S', ID_FILE_SAVE},
    {wxACCEL_NORMAL, WXK_F6, ID_NEXT_PANE},
    {wxACCEL_SHIFT, WXK_F6, ID_PREV_PANE},
    {wxACCEL_NORMAL, WXK_F20, ID_TOGGLE_HANDLE_0},
    {wxACCEL_NORMAL, WXK_F20, ID_TOGGLE_HANDLE_1},
    {wxACCEL_NORMAL, WXK_F20, ID_TOGGLE_HANDLE_2},
    {wxACCEL_NORMAL, WXK_F20, ID_TOGGLE_HANDLE_3},
};

// ---- dialog 100 (dialog units) ----
struct DialogRect {
  int x, y, width, height;
};

constexpr const char* kAboutCaption = "バージョン情報 Dendrix";
constexpr int kAboutWidth = 235, kAboutHeight = 55;
constexpr int kAboutFontPoints = 9;
constexpr const char* kAboutFontFace = "MS UI Gothic";
constexpr DialogRect kAboutIcon = {11, 17, 20, 20};
constexpr const char* kAboutVersionText = "Dendrix Version 1.0";
constexpr DialogRect kAboutVersionLine = {40, 10, 119, 8};
constexpr const char* kAboutSecondText = "枝分かれの規則から育つ木";
constexpr DialogRect kAboutSecondLine = {40, 25, 119, 8};
constexpr DialogRect kAboutOkButton = {178, 7, 50, 16};

}  // namespace res
