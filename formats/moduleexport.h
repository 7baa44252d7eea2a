// How a module marks the entry points the engine looks up by name
// (components/moduleloader.h).
#pragma once

#define PICTARON_MODULE_EXPORT __attribute__((visibility("default")))
