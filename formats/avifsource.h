// AVIF sources, read with libavif through the AVIF module rather than by the
// general picture library, whose reader of the format trusts the declared
// size over the decoded frame and reads past the frame's rows.
#pragma once

#include "effects/bitmap.h"
#include "formats/directdecode.h"
#include "formats/sourcetags.h"

#include <string_view>

namespace pictaron {

// The picture as a working bitmap, as stored, flattened onto white; its
// alpha plane (when some pixel is not opaque), ICC profile, EXIF block and
// XMP packet go into raw, and its rotation and mirror as the container's
// orientation, which the loader turns it by. Failures and the size limit go
// through the guard.
Bitmap DecodeAvifSource(std::string_view bytes, const DecodeGuard& guard, RawTags& raw);

} // namespace pictaron
