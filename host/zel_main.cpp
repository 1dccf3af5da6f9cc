// zel: the suite's command-line host. It plays the host application's part for every
// capability of the suite, so each one can be used and checked without Windows.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/zel_command.h"

namespace {

std::vector<ZelCommand*>& commands() {
  static std::vector<ZelCommand*> list;
  return list;
}

void print_help(FILE* out) {
  std::fprintf(out, "usage: zel COMMAND [ARGS...]\n\ncommands:\n");
  for (const ZelCommand* c : commands())
    std::fprintf(out, "  %-8s %s\n           %s\n", c->name, c->usage, c->summary);
}

}  // namespace

ZelCommand::ZelCommand(const char* n, const char* u, const char* s, ZelRun r)
    : name(n), usage(u), summary(s), run(r) {
  commands().push_back(this);
}

int zel_usage(const char* name) {
  for (const ZelCommand* c : commands())
    if (std::strcmp(c->name, name) == 0) std::fprintf(stderr, "usage: zel %s %s\n", c->name, c->usage);
  return 2;
}

bool zel_take_flag(std::vector<std::string>& args, const char* flag) {
  for (size_t i = 0; i < args.size(); ++i)
    if (args[i] == flag) {
      args.erase(args.begin() + long(i));
      return true;
    }
  return false;
}

bool zel_take_option(std::vector<std::string>& args, const char* option, std::string* value) {
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == option) {
      *value = args[i + 1];
      args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
      return true;
    }
  return false;
}

bool zel_parse_long(const std::string& text, long* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return false;
  *value = v;
  return true;
}

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
    print_help(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  for (const ZelCommand* c : commands())
    if (std::strcmp(c->name, argv[1]) == 0)
      return c->run(std::vector<std::string>(argv + 2, argv + argc));
  std::fprintf(stderr, "zel: unknown command '%s' (try zel --help)\n", argv[1]);
  return 2;
}
