// What pictaron-cli prints about the variants of one picture: a <picture>
// element (--html) or one JSON object (--json).
#pragma once

#include "cli/variantrun.h"

#include "components/plaintext.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pictaron {

// One <source> per format in the order made, every width in its srcset, and
// the last format as the <img> with the size of its largest variant. Paths
// are the output names as written, made into URLs (a space becomes %20).
std::string PictureElement(const std::vector<MadeVariant>& made, const std::string& sizes);

// One line: the input, its bytes, every variant and the warnings.
std::string VariantJsonLine(const std::string& input, std::int64_t originalBytes, const std::vector<MadeVariant>& made,
                            const Texts& warnings);

} // namespace pictaron
