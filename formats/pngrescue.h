// What can be read of a PNG that the picture library gave up on.
//
// The library refuses a PNG whose data ends early or breaks off, though its
// first rows are whole; a camera card pulled out too soon, a download cut
// short. This reader takes the rows up to the break, as the JPEG decoder does
// for a cut JPEG, and leaves the rest grey, so the user gets what the file
// still holds along with a warning.
#pragma once

#include "effects/bitmap.h"

#include <optional>
#include <string_view>

namespace pictaron {

struct RescuedPng {
    Bitmap picture;  // a working bitmap, flattened onto white
    Bitmap alpha;    // Format_Grayscale8, null when every pixel read is opaque
    bool whole;      // every row could be read after all
};

// Empty when the header cannot be read, the picture is interlaced (its
// first pass alone would be a picture of another size), or not one row could
// be read. The caller has checked the declared size.
std::optional<RescuedPng> RescueCutPng(std::string_view bytes);

} // namespace pictaron
