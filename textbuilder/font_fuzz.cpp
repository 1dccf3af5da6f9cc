// Fuzz target: the Type 1 font reader on hostile bytes taken as a PFB or PFA font, then
// both interpreters on what it decoded. The reader opens fonts by path, so the input is
// written to an in-memory file (memfd) and read back through /proc/self/fd.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

#include "textbuilder/charstring.h"
#include "textbuilder/font_reader.h"
#include "textbuilder/recording_model.h"

#ifndef ZEL_FUZZ_GLYPH_TABLE
#error "ZEL_FUZZ_GLYPH_TABLE names the generated glyph-name table"
#endif

namespace {

int quiet_box(void*, const char*, const char*, uint32_t) { return 1; }

struct FontFile {
  int fd = -1;
  std::string path;
  FontFile() {
    fd = memfd_create("zel-font-fuzz", 0);
    if (fd < 0) std::abort();
    path = "/proc/self/fd/" + std::to_string(fd);
  }
  void fill(const uint8_t* data, size_t size) {
    if (ftruncate(fd, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
      ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
      if (n <= 0) std::abort();
      done += size_t(n);
    }
  }
};

// The recording model counts every append beyond what was reserved, every edge naming a
// vertex that does not exist and every reserve below the count in use.
void build_checked(const GlyphProgram& glyph, const SubrTable& subrs, int32_t direction) {
  RecordingModel model;
  model.bind();
  model.iface.create_object(nullptr);
  begin_build(&model.iface, direction, &subrs);
  run_build_program(glyph);
  if (!model.faults.empty()) {
    std::fprintf(stderr, "build broke the model's rules: %s\n", model.faults.front().c_str());
    std::abort();
  }
  if (model.vertex_count > kMaxPiecesPerGlyph * 2 + 2) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FontFile file;
  static const UiTable ui{nullptr, quiet_box, nullptr};
  static bool ready = (font_reader_setup(ZEL_FUZZ_GLYPH_TABLE, ui), true);
  (void)ready;
  file.fill(data, size);

  // Codes the seeds define (A, B, C) and one that only a font's own /Encoding can give.
  for (int code : {int('A'), int('B'), int('C'), 0xE9}) {
    font_reader_clear();
    ScanResult r = load_glyph_program(code, file.path.c_str());
    // Every token takes at least one byte of the font.
    if (size_t(loaded_glyph().count()) > size) std::abort();
    if (r == ScanDone) {
      SegmentList segments;
      OutlineTrace trace;
      begin_preview(&segments, &loaded_subrs(), &trace);
      run_preview_program(loaded_glyph());
      if (segments.count() > kMaxPiecesPerGlyph + 2) std::abort();
      build_checked(loaded_glyph(), loaded_subrs(), code == 'B' ? -1 : 1);
    }
    font_reader_clear();
  }
  return 0;
}
