// The Win32 frame shared by the effect DLLs: DllMain, the three exports and the dialog
// procedure. Compiled into each library next to the one-line file that names its plugin.
#include <windows.h>

#include "common/win32_ui.h"
#include "common/x87_precision.h"
#include "effects/effect_library.h"

namespace {

HINSTANCE g_instance = nullptr;

constexpr int kDialogId = 100;
constexpr int kOkId = 102;
constexpr int kCancelId = 101;


void field_init(HWND dialog, const EffectField& field) {
  if (field.control_id == 0) return;
  SetDlgItemInt(dialog, field.control_id, field.shown(), FALSE);
}

void field_take(HWND dialog, const EffectField& field) {
  if (field.control_id == 0) return;
  char text[16] = {};
  int size = field.max_chars + 1 < int(sizeof text) ? field.max_chars + 1 : int(sizeof text);
  GetDlgItemTextA(dialog, field.control_id, text, size);
  field.accept(text);
}

INT_PTR CALLBACK EffectDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM) {
  const EffectField& field = effect_library().field;
  switch (message) {
    case WM_INITDIALOG:
      field_init(dialog, field);
      CentreOnScreen(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == kOkId) {
        field_take(dialog, field);
        EndDialog(dialog, kDialogOk);
        return TRUE;
      }
      if (LOWORD(wp) == kCancelId) {
        EndDialog(dialog, kDialogCancel);
        return TRUE;
      }
      return FALSE;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_CLOSE) {
        EndDialog(dialog, kDialogCancel);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

struct DialogRequest {
  HWND parent;
};

int run_dialog(void* context) {
  auto* request = static_cast<DialogRequest*>(context);
  return int(DialogBoxParamA(g_instance, MAKEINTRESOURCEA(kDialogId), request->parent,
                             EffectDialogProc, 0));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
  return TRUE;
}

extern "C" char* __stdcall SetExternalParameters(char* old, HWND parent, DWORD,
                                                 HostAllocator* allocator) noexcept {
  Win32UiTarget target{nullptr, nullptr};
  DialogRequest request{parent};
  return effect_set_parameters(effect_library(), old, allocator, run_dialog, &request,
                               win32_ui(&target));
}

extern "C" void __stdcall PreviewExternalEffect(char* params, EffectInfo* info,
                                                EffectVertex* vertices) noexcept {
  ExtendedPrecision precision;  // the effects' intermediates are extended precision
  effect_preview(effect_library(), params, info, vertices);
}

extern "C" int __stdcall RenderExternalEffect(char*, EffectInfo*, EffectVertex*) noexcept {
  return effect_render();
}
