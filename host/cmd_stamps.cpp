// zel stamps: the preset map picker's side of the host. "sheet" writes a sheet of 30
// numbered stamps; "pick" loads a sheet as STAMPICK does and says which stamp each click
// would choose.
#include <cstdio>
#include <string>
#include <vector>

#include "host/zel_command.h"
#include "picker/numbered_sheet.h"
#include "picker/stamp_grid.h"
#include "picker/stamp_sheet.h"

namespace {

bool parse_point(const std::string& text, uint32_t* x, uint32_t* y) {
  const size_t comma = text.find(',');
  long a = 0, b = 0;
  if (comma == std::string::npos || !zel_parse_long(text.substr(0, comma), &a) ||
      !zel_parse_long(text.substr(comma + 1), &b) || a < 0 || b < 0 || a > 0xFFFF || b > 0xFFFF)
    return false;
  *x = uint32_t(a);
  *y = uint32_t(b);
  return true;
}

int write_sheet(const std::string& path) {
  const picker::SheetPicture pic = picker::numbered_sheet();
  const std::vector<uint8_t> bytes = picker::sheet_encode(pic.width, pic.height, pic.palette, pic.top_down);
  FILE* f = std::fopen(path.c_str(), "wb");
  const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if ((f && std::fclose(f) != 0) || !ok) {
    std::fprintf(stderr, "zel stamps: cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("%s: %dx%d sheet of 30 numbered stamps, %zu bytes\n", path.c_str(), pic.width, pic.height, bytes.size());
  return 0;
}

int pick(const std::vector<std::string>& args) {
  std::vector<std::pair<uint32_t, uint32_t>> points;
  for (size_t i = 1; i < args.size(); ++i) {
    uint32_t x = 0, y = 0;
    if (!parse_point(args[i], &x, &y)) {
      std::fprintf(stderr, "zel stamps: '%s' is not a point X,Y (0 to 65535 each)\n", args[i].c_str());
      return 2;
    }
    points.push_back({x, y});
  }
  picker::StampSheet sheet;
  const picker::SheetResult r = picker::sheet_load(args[0].c_str(), &sheet);
  if (r == picker::SheetResult::kLoaded)
    std::printf("%s: %dx%d sheet loaded\n", args[0].c_str(), sheet.width, sheet.height);
  else
    std::printf("%s: not loaded (%s): the picker's window stays empty\n", args[0].c_str(),
                picker::sheet_result_text(r));
  for (const auto& p : points) {
    const picker::Press press = picker::press_at(p.first | p.second << 16);
    if (press.beep)
      std::printf("(%u, %u): no stamp, beep\n", p.first, p.second);
    else
      std::printf("(%u, %u): stamp %d\n", p.first, p.second, press.selection);
  }
  return r == picker::SheetResult::kLoaded ? 0 : 1;
}

int run(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "sheet") return write_sheet(args[1]);
  if (args.size() >= 2 && args[0] == "pick") return pick(std::vector<std::string>(args.begin() + 1, args.end()));
  return zel_usage("stamps");
}

ZelCommand command("stamps", "sheet OUTPUT.bmp | pick SHEET.bmp [X,Y...]",
                   "write a sheet of 30 numbered stamps, or load a sheet and look up the stamps under clicks", run);

}  // namespace
