// DllMain, the five texture exports and the parameter dialog, shared by every texture
// library; texture_library() says which one this DLL is.
#include <windows.h>

#include <cstdint>

#include "common/win32_ui.h"
#include "common/x87_precision.h"
#include "textures/texture_dll.h"

namespace {

HINSTANCE g_module = nullptr;

// The radius test sums squares in extended precision: ExtendedPrecision guards every
// sample against the precision the host left the FPU in.

INT_PTR CALLBACK texture_dialog_proc(HWND dlg, UINT message, WPARAM wp, LPARAM) {
  const TextureLibrary& lib = texture_library();
  switch (message) {
    case WM_INITDIALOG:
      for (int i = 0; i < lib.value_count; ++i) {
        char text[64];
        texture_field_text(*lib.values[i], text, sizeof text);
        SetDlgItemTextA(dlg, lib.field_ids[i], text);
        SendDlgItemMessageA(dlg, lib.field_ids[i], EM_LIMITTEXT, 12, 0);
      }
      CentreOnScreen(dlg);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wp);
      if (id == lib.cancel_id || id == IDCANCEL) {
        EndDialog(dlg, 0);
        return TRUE;
      }
      if (id == lib.ok_id || id == IDOK) {
        char fields[kMaxTextureValues][10];
        const char* texts[kMaxTextureValues];
        for (int i = 0; i < lib.value_count; ++i) {
          GetDlgItemTextA(dlg, lib.field_ids[i], fields[i], sizeof fields[i]);
          texts[i] = fields[i];
        }
        EndDialog(dlg, texture_accept_fields(lib, texts));
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

struct DialogCall {
  HWND parent;
};

int run_dialog(void* context) {
  auto* call = static_cast<DialogCall*>(context);
  return int(DialogBoxParamA(g_module, MAKEINTRESOURCEA(100), call->parent, texture_dialog_proc, 0));
}

UiTable focus_ui() {
  static Win32UiTarget target = {nullptr, nullptr};  // boxes belong to the focus window
  return win32_ui(&target);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" int32_t ZEL_STDCALL ExternalTextureStartup(uint32_t, uint32_t, const char* params) noexcept {
  return texture_startup(texture_library(), params, focus_ui());
}

extern "C" int32_t ZEL_STDCALL ExternalTextureMorph(const char* other, float t) noexcept {
  return texture_morph(texture_library(), other, t);
}

extern "C" int32_t ZEL_STDCALL ExternalTextureProcedure(uint32_t, uint32_t, float* normal, float x, float y,
                                                        float z, uint32_t, uint32_t, uint32_t, uint32_t,
                                                        const uint8_t* shader_colour, float* colour, uint32_t,
                                                        uint32_t, const TextureServices* services) noexcept {
  TextureSample sample = {x, y, z, shader_colour, colour, normal, services};
  ExtendedPrecision precision;
  return texture_library().procedure(sample);
}

extern "C" void ZEL_CDECL ExternalTextureClose() noexcept {}

extern "C" char* ZEL_STDCALL SetExternalParameters(char* old, HWND parent, const HostAllocator* allocator) noexcept {
  DialogCall call = {parent};
  return texture_set_parameters(texture_library(), old, allocator, focus_ui(), run_dialog, &call);
}
