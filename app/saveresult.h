// Writing the result of the last run to a file the user named.
#pragma once

#include "app/conversionsettings.h"

#include "components/sharedbytes.h"
#include "effects/bitmap.h"

#include <cstdint>
#include <string>

namespace pictaron {

// A result of every format but GIF is written as the bytes the run encoded —
// for a JPEG the bytes of the work file — kept with the result, so that
// whatever was encoded since (by a later run that failed, say) is never saved
// under this result's name; for a JPEG "Copy of file failed" and the reason
// when that fails. A GIF result is built again from the picture shown. The
// file is written atomically (see WriteFileAtomically). Returns the size of
// the written file.
std::int64_t SaveResult(const std::string& path, const Bitmap& shownPicture, const SharedBytes& encodedBytes,
                        const ConversionSettings& settings);

} // namespace pictaron
