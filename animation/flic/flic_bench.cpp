// Speed and memory of the FLI/FLC writer, from frame files to finished file, beside ffmpeg
// (single-threaded) encoding the same pixels to GIF with one global palette and to
// msvideo1. Prints figures; not a test.
//
//   flic_bench [FRAMES]            both cases (120 frames by default)
//   flic_bench --run DIR W H N     one writer run in a fresh process (used by the above)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "animation/flic/flic_writer.h"
#include "animation/frameset/testing/frame_series.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

size_t g_heap_now = 0, g_heap_peak = 0;
void* counting_allocate(size_t bytes) {
  auto* p = static_cast<size_t*>(std::malloc(bytes + sizeof(size_t)));
  if (!p) return nullptr;
  *p = bytes;
  g_heap_now += bytes;
  if (g_heap_now > g_heap_peak) g_heap_peak = g_heap_now;
  return p + 1;
}
void counting_release(void* block) {
  if (!block) return;
  auto* p = static_cast<size_t*>(block) - 1;
  g_heap_now -= *p;
  std::free(p);
}

int run_one(const std::string& dir, int w, int h, long frames) {
  std::vector<uint32_t> histogram;
  if (!ReadHistogramFile(dir + "/h.bin", &histogram)) return 1;
  // Palette selection alone, on a copy of the histogram.
  std::vector<uint32_t> counts = histogram;
  std::vector<uint16_t> list(32768);
  FrameSetRun run;
  run.colourCount = 32768;
  run.colourCounts = counts.data();
  run.colourList = list.data();
  auto t0 = Clock::now();
  FrameSetBuildPalette(&run);
  double palette_ms = ms_since(t0);

  counts = histogram;
  FrameSetPlatform platform = *FrameSetStandardPlatform();
  platform.allocate = counting_allocate;
  platform.release = counting_release;
  std::string out = dir + (FlicIsFlc(w, h) ? "/bench.flc" : "/bench.fli");
  std::vector<char> path(out.begin(), out.end());
  path.push_back('\0');
  std::string prefix = dir + "/f";
  BuildFliArgs args;
  args.first = 0;
  args.end = frames;
  args.outputPath = path.data();
  args.framePrefix = prefix.c_str();
  args.width = w;
  args.height = h;
  args.colourCount = 32768;
  args.speed = 5;
  args.colourCounts = counts.data();
  args.colourList = list.data();
  UiTable ui{nullptr, [](void*, const char*, const char*, uint32_t) { return 7; }, nullptr};  // keep frames
  t0 = Clock::now();
  int32_t result = BuildFli(args, ui, &platform);
  double total_ms = ms_since(t0);
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.3f %.3f %zu %ld %ld %d\n", palette_ms, total_ms, g_heap_peak, long(usage.ru_maxrss),
              long(std::filesystem::file_size(out)), result);
  return 0;
}

// Runs a command as a process of its own; returns wall milliseconds and its peak RSS (KB).
bool measure(const std::string& cmd, double* ms, long* rss_kb, std::string* output = nullptr) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return false;
  auto t0 = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipefd[1], 1);
    close(pipefd[0]);
    execl("/bin/sh", "sh", "-c", ("exec " + cmd).c_str(), (char*)nullptr);
    _exit(127);
  }
  close(pipefd[1]);
  std::string text;
  char buf[512];
  ssize_t n;
  while ((n = read(pipefd[0], buf, sizeof buf)) > 0) text.append(buf, size_t(n));
  close(pipefd[0]);
  int status = 0;
  struct rusage usage;
  wait4(pid, &status, 0, &usage);
  *ms = ms_since(t0);
  *rss_kb = usage.ru_maxrss;
  if (output) *output = text;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void bench_case(const char* self, const char* name, Scene scene, int w, int h, long frames) {
  std::string dir = "/tmp/flic_bench_" + std::to_string(getpid()) + "_" + std::to_string(w);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::vector<uint32_t> histogram;
  WriteFrameSeries({dir + "/f", 0, frames, w, h, scene, RowCoding::RunLength}, &histogram);
  WriteHistogramFile(dir + "/h.bin", histogram);
  long colours = 0;
  for (uint32_t c : histogram) colours += c != 0;
  // The same pixels as raw rgb555le for ffmpeg: exactly the frame words.
  FILE* raw = std::fopen((dir + "/raw.rgb555").c_str(), "wb");
  for (long n = 0; n < frames; ++n) {
    std::vector<uint16_t> px = SceneFrame(scene, w, h, n);
    std::fwrite(px.data(), 2, px.size(), raw);  // little-endian host
  }
  std::fclose(raw);

  double ms = 0;
  long rss = 0;
  std::string line;
  std::string run = std::string(self) + " --run " + dir + " " + std::to_string(w) + " " + std::to_string(h) + " " +
                    std::to_string(frames);
  measure(run, &ms, &rss, &line);
  double palette_ms = 0, total_ms = 0;
  size_t heap = 0;
  long own_rss = 0, size = 0;
  int result = -1;
  std::sscanf(line.c_str(), "%lf %lf %zu %ld %ld %d", &palette_ms, &total_ms, &heap, &own_rss, &size, &result);
  double fps = frames / (total_ms / 1000.0);
  std::printf("%s %dx%d, %ld frames, %ld colours: palette %.1f ms, frames %.1f ms, total %.1f ms = %.0f fps; "
              "writer heap %.0f KB, peak RSS %.1f MB; file %ld bytes%s\n",
              name, w, h, frames, colours, palette_ms, total_ms - palette_ms, total_ms, fps, heap / 1024.0,
              own_rss / 1024.0, size, result == 0 ? "" : " (FAILED)");

  const std::string input = "ffmpeg -v error -nostdin -threads 1 -f rawvideo -pix_fmt rgb555le -s " + std::to_string(w) +
                            "x" + std::to_string(h) + " -r 14 -i " + dir + "/raw.rgb555 ";
  struct Ref {
    const char* what;
    std::string args;
  };
  const Ref refs[] = {
      {"ffmpeg GIF, one global palette",
       "-filter_threads 1 -filter_complex \"split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse\" -y " + dir +
           "/ref.gif"},
      {"ffmpeg msvideo1", "-c:v msvideo1 -y " + dir + "/ref.avi"},
  };
  for (const Ref& r : refs) {
    double rms = 0;
    long rrss = 0;
    bool ok = measure(input + r.args, &rms, &rrss);
    double rfps = frames / (rms / 1000.0);
    std::printf("  reference: %-32s %.0f fps (%.1f ms), peak RSS %.1f MB%s; ours is %.1fx its speed\n", r.what, rfps,
                rms, rrss / 1024.0, ok ? "" : " (FAILED)", fps / rfps);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "--run")
    return run_one(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atol(argv[5]));
  long frames = argc > 1 ? std::atol(argv[1]) : 120;
  if (frames < 3) frames = 3;
  bench_case(argv[0], "FLI", Scene::RichShapes, 320, 200, frames);
  bench_case(argv[0], "FLC", Scene::RichShapes, 640, 480, frames);
  return 0;
}
