#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "textbuilder/text_build.h"

// The "Text Builder Utility" dialog's rules, apart from its window: control ids, the
// scroll bars' value rules, what each command does to the host's TextBuildSettings, the
// font folder and help file paths. The Win32 shell reads its controls, calls these and
// acts on the answers (repaints, dialogs, the end of the dialog).

namespace qel_id {
constexpr int Dialog = 100;
constexpr int HoldPointBitmap = 99;
constexpr int ShapePreview = 101, ProfilePreview = 102, HoldPointPicture = 103;
constexpr int Front = 104, Back = 105;
constexpr int AngleBar = 106, AngleValue = 107, DepthBar = 108, DepthValue = 109, WidthBar = 110,
              WidthValue = 111;
constexpr int Fill = 112, DontFill = 113, FontName = 114, PreviewEdit = 115, TextEdit = 116;
constexpr int Choose = 117, Help = 118, FaceSwatch = 119, BevelSwatch = 120, SideSwatch = 121;
constexpr int Make = 122, Cancel = 123, LeftToRight = 124, RightToLeft = 125, Status = 126;
constexpr int FirstHoldPoint = 127, LastHoldPoint = 133;
}  // namespace qel_id

constexpr size_t kFolderChars = 256;     // font_folder and the help file path, NUL included
constexpr size_t kMakeTextMax = 20;      // characters "Make" copies into settings.text
constexpr int kPreviewEditRead = 9;      // characters read from the "Preview" edit
constexpr int kTextEditLimit = 60;       // the "Text" edit's own limit
constexpr const char* kFontFilter = "(*.PFB)|*.pfb|(*.PFA)|*.pfa|";
constexpr const char* kFontDialogTitle = "PFB Program to Execute";
constexpr const char* kHelpFile = "help\\qel.hlp";

// Hold point (0..6) of a hold-point radio button (127..133), and back; -1 / 0 for others.
int32_t hold_point_of_button(int id);
int button_of_hold_point(int32_t hold_point);

// Scroll bars. Codes as the platform numbers them.
namespace scroll {
constexpr int LineLeft = 0, LineRight = 1, PageLeft = 2, PageRight = 3, ThumbPosition = 4, ThumbTrack = 5;
}
// The value after one scroll message: line and page moves by 1 held to [min, max]; thumb
// position and track take the message's 16-bit position; any other code keeps the value.
int32_t scroll_value(int code, int32_t value, int32_t min, int32_t max, uint16_t thumb);

// What a change asks the dialog to do afterwards.
namespace follow {
constexpr uint32_t RepaintShape = 1u << 0;    // control 101
constexpr uint32_t RepaintProfile = 1u << 1;  // control 102
constexpr uint32_t RefreshPreview = 1u << 2;  // refresh_preview before the repaints
}

// One scroll bar: its id, value label, range, the settings field and the repaints a
// change asks for.
struct ScrollBarRule {
  int bar;
  int label;
  int32_t min, max;
  int32_t TextBuildSettings::*field;
};
// The rule of bar 106, 108 or 110; null for any other id.
const ScrollBarRule* scroll_bar_rule(int bar);
// Applies one scroll message to the settings; answers the follow-up (0 when unchanged).
uint32_t apply_scroll(TextBuildSettings* settings, const ScrollBarRule& rule, int code, uint16_t thumb);

// The commands that only change settings (check boxes, radio buttons, the "Preview" edit):
// applies command `id` and answers the follow-up. `preview_text` is the text of edit 115
// (at most 9 characters read) for id 115 and ignored otherwise. Ids that do something else
// (or nothing) answer 0 and leave the settings alone.
uint32_t apply_setting_command(TextBuildSettings* settings, int id, const char* preview_text);

// The colour swatch commands: the settings' colour bytes and the colour dialog's caption;
// null bytes for any other id.
struct ColourCommand {
  uint8_t* color;
  const char* caption;
};
ColourCommand colour_command(TextBuildSettings* settings, int id);

// "Make": the first 20 characters of the "Text" edit and the NUL into settings.text.
void store_make_text(TextBuildSettings* settings, const char* edit_text);

// Folder of a path: the path cut before its last "\", ":" or "/", walking it character by
// character (a separator byte that trails a lead byte is part of a character, not a
// separator); empty when it has none. `is_lead_byte` is the code page's test (null: every
// character is one byte). The result is cut to fit kFolderChars with its NUL.
using LeadByteTest = bool (*)(unsigned char);
std::string folder_of(const char* path, LeadByteTest is_lead_byte = nullptr);

// The font dialog's starting folder for a call: the folder of settings.font_path when it is
// not empty, else the host folder followed by "fonts".
std::string font_folder_for(const char* host_folder, const TextBuildSettings& settings,
                            LeadByteTest is_lead_byte = nullptr);
// Host folder followed by "help\qel.hlp", cut to fit kFolderChars with its NUL.
std::string help_file_path(const char* host_folder);
