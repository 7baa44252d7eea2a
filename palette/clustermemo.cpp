#include "palette/clustermemo.h"

namespace pictaron {

ClusterMemo::ClusterMemo(const Palette& palette)
    : pageOf_(std::size_t{1} << (24 - kPlaceBits), kNoPage)
{
    cluster_.Build(palette);
}

std::uint32_t ClusterMemo::NewPage(std::uint32_t block)
{
    const auto page = static_cast<std::uint32_t>(pages_.size());
    pages_.emplace_back();
    pageOf_[block] = page;
    return page;
}

} // namespace pictaron
