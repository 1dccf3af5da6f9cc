#include "effects/gather/gather.h"

#include <cstdio>

namespace {

void gather_format(char* out, size_t size) { std::snprintf(out, size, "3"); }

const EffectPlugin kGather = {"GATHER", nullptr, gather_format, nullptr, {0, 0, nullptr, nullptr}};

}  // namespace

const EffectPlugin& gather_plugin() { return kGather; }
