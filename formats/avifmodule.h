// The AVIF module (avifcodec.*), shared by the AVIF result and the reader of
// AVIF sources; loaded by the first of them.
#pragma once

#include "components/moduleloader.h"

namespace pictaron {

enum AvifEntry : std::size_t { kEncodeAvif, kDecodeAvif, kReadAvifSource };

const LazyModule& AvifModule();

} // namespace pictaron
