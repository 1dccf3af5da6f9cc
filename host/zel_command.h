#pragma once
#include <string>
#include <vector>

// Every subcommand of `zel` lives in its own host/cmd_*.cpp file and registers itself with
// one ZelCommand object at namespace scope:
//
//   static ZelCommand glyph("glyph", "FONT CODE [--glyph-table FILE]", "print a glyph", run);
//
// run() receives the arguments after the subcommand name and returns the exit status.
using ZelRun = int (*)(const std::vector<std::string>& args);

struct ZelCommand {
  ZelCommand(const char* name, const char* usage, const char* summary, ZelRun run);
  const char* name;
  const char* usage;
  const char* summary;
  ZelRun run;
};

// Prints "usage: zel NAME USAGE" to stderr and returns the exit status for a usage error.
int zel_usage(const char* name);

// Option helpers for the subcommands: take "--name VALUE" or a bare "--flag" out of args.
bool zel_take_flag(std::vector<std::string>& args, const char* flag);
bool zel_take_option(std::vector<std::string>& args, const char* option, std::string* value);
// Parses a whole decimal integer (with sign); false on anything else.
bool zel_parse_long(const std::string& text, long* value);
