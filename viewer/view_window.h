#pragma once
// The viewer window's portable part: its state record, the settings steps of the open
// dialog and of the host's requests, the caption, the screen-information texts, and the
// scroll arithmetic. The Win32 shell (viewer_main.cpp) feeds it window sizes and messages
// and carries out what it answers; nothing here includes a platform header.
#include <cstdint>
#include <string>

namespace view {

// Win32 numbers the window core works with, named here so the core and its tests need no
// <windows.h>; the shell checks them against the real ones.
constexpr int kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPosition = 4,
              kThumbTrack = 5, kEndScroll = 8;  // SB_* codes (LEFT/RIGHT share the values)
constexpr uint32_t kKeyPrior = 0x21, kKeyNext = 0x22, kKeyEnd = 0x23, kKeyHome = 0x24, kKeyLeft = 0x25,
                   kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28;  // VK_* codes

// Command identifiers (low word of WM_COMMAND's wParam).
enum Command : int {
  kCmdScreenResolution = 101,
  kCmdAvailableColours = 102,
  kCmdLoad = 103,
  kCmdNothing = 104,
  kCmdOpen = 105,
  kCmdQuit = 106,
  kCmdHostFile = 107,
  kCmdHide = 108,
  kCmdMapFile = 109,
};

constexpr const char kClassName[] = "ZEL:ViewClass";
constexpr const char kRenderClassName[] = "ZEL:RenderClass";
constexpr const char kWindowTitle[] = "Viewer";
constexpr const char kOpenTitle[] = "File to View";
constexpr uint32_t kOpenFlags = 0x1804;  // OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST
constexpr const char kProfileFile[] = "MORVANE.INI";
constexpr const char kSection[] = "VIEWER";
constexpr const char kAnyFile[] = "*.*";
constexpr int kExitAlreadyRunning = 32;
constexpr int kBufferSize = 256;

// The program's string table (ids 300-310, in viewer.rc) holds the screen-information
// boxes: captions 300 and 305, and the text ids these choose for command 101 by the screen
// width and for command 102 by the colour depth.
constexpr int kResolutionCaption = 300, kColoursCaption = 305;
int ResolutionTextId(int32_t screen_width);
int ColourTextId(int32_t bits_per_pixel);

// The private profile calls, as a table the shell fills with the Win32 functions and tests
// with a map. get_string copies the value (or the default) into buf, cut to size - 1
// characters, and answers its length; get_int answers the number or the default.
struct ProfileTable {
  void* context;
  uint32_t (*get_string)(void* context, const char* section, const char* key, const char* fallback, char* buf,
                         uint32_t size);
  int32_t (*get_int)(void* context, const char* section, const char* key, int32_t fallback);
  bool (*write_string)(void* context, const char* section, const char* key, const char* value);
};

// The viewer's state outside the image itself.
struct ViewerState {
  char full_path[kBufferSize] = {};  // the program's path, then the path+name of the dialog
  char folder[kBufferSize] = {};     // folder read from the settings
  char file_name[kBufferSize] = {};  // the current file name, read by the loaders
  int32_t kind = 0;                  // ImageKind of the current file
  int32_t extent_width = 0;          // scrolling extent of the image
  int32_t extent_height = 0;
  bool front_request = false;  // bring the host's render window forward after the load
  int32_t resize_guard = 0;
};

// The open dialog's preparation: clears the request and both buffers, reads LASTFILE,
// LASTPATH and LASTTYPE (defaults "*.*", the program's folder, the current kind) and
// leaves folder + file name in the full path buffer. Answers whether the folder is to
// become the current directory (it is not empty).
bool BeginOpenDialog(ViewerState& s, const char* program_path, const ProfileTable& profile);
// The dialog's filter with its zero separators, as one block (ends in two zeros).
std::string OpenDialogFilter();
// Filter index for a kind: kind + 1 for the four kinds, else 0.
uint32_t OpenFilterIndex(int32_t kind);
// After OK: the shell has set s.kind from the chosen name; writes LASTFILE, cuts the full
// path to its folder and writes it as LASTPATH, and writes LASTTYPE.
void FinishOpenDialog(ViewerState& s, const ProfileTable& profile);

// Command 107's preparation: the front-window request from lParam, FILE and PATH read
// (defaults "*.*" and the program's folder). Answers whether the folder is to become the
// current directory.
bool BeginHostRequest(ViewerState& s, intptr_t lparam, const char* program_path, const ProfileTable& profile);
// Command 109: MAPFILE (default "*.*") into the file name buffer.
void TakeMapFile(ViewerState& s, const ProfileTable& profile);

// "View (NAME WxHxBPP)".
std::string ViewCaption(const char* file_name, int32_t width, int32_t height, int32_t bits);

// Keys turned into scroll messages.
struct KeyScroll {
  bool scrolls;   // false for every other key
  bool vertical;  // WM_VSCROLL rather than WM_HSCROLL
  int code;       // SB_* code of the key down
};
KeyScroll ScrollForKey(uint32_t virtual_key);

// Change of position for a scroll code over a client extent e (width for the horizontal
// bar, height for the vertical): e/16 + 1 down a line, e/2 + 1 down a page, and
// -(e/16) + 1, -(e/2) + 1 up. An upward step that this would turn into no move or a
// downward one (extents below 32 for a line, below 4 for a page) moves up by one instead.
int32_t ScrollChange(int code, int32_t extent);
// The bar's new position: moved by ScrollChange, or the thumb's position for the thumb
// codes, clamped to the bar's range (at or above the maximum gives the maximum).
int32_t ScrollTarget(int code, int32_t position, int32_t extent, int32_t thumb, int32_t minimum,
                     int32_t maximum);

// One pass of the scroll-range step: the maxima for a client size, each at least 0, and
// whether a current position now lies beyond its maximum (the window is then erased).
struct ScrollRanges {
  int32_t horizontal_max;
  int32_t vertical_max;
  bool erase;
};
ScrollRanges ScrollRangesFor(int32_t extent_width, int32_t extent_height, int32_t client_width,
                             int32_t client_height, int32_t horizontal_pos, int32_t vertical_pos);
// The client size the window would have without its scroll bars.
struct ClientSize {
  int32_t width;
  int32_t height;
};
ClientSize ClientWithoutBars(ClientSize client, bool has_horizontal, bool has_vertical, int32_t bar_height,
                             int32_t bar_width);

}  // namespace view
