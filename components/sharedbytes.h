// Encoded bytes, shared and never changed once made: a run's result, the
// window's copy of it and the file written from it are one block.
//
// The block stays whatever the encoder made it in — a string from a codec, the
// JPEG encoder's own growing block — so taking it over costs no copy.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace pictaron {

class SharedBytes {
public:
    SharedBytes() = default;
    // Takes the string over.
    explicit SharedBytes(std::string bytes)
    {
        auto owned = std::make_shared<const std::string>(std::move(bytes));
        view_ = *owned;
        owner_ = std::move(owned);
    }
    // Bytes that owner keeps alive.
    SharedBytes(std::shared_ptr<const void> owner, std::string_view bytes)
        : owner_(std::move(owner)), view_(bytes)
    {
    }

    const char* data() const { return view_.data(); }
    std::size_t size() const { return view_.size(); }
    bool empty() const { return view_.empty(); }
    std::string_view view() const { return view_; }

    friend bool operator==(const SharedBytes& a, const SharedBytes& b) { return a.view_ == b.view_; }

private:
    std::shared_ptr<const void> owner_;
    std::string_view view_;
};

} // namespace pictaron
