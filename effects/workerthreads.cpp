#include "effects/workerthreads.h"

#include "components/plaintext.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

namespace pictaron {

namespace {

std::atomic<int> gLimit = 64;

// An environment variable's whole number as the toolkit read them, so a
// count that worked before still works: at most 11 characters, white space
// around the number, a sign, and 0x, 0b or a leading 0 for hexadecimal,
// binary or octal digits. Nothing for anything else or a number beyond int.
std::optional<int> EnvironmentNumber(const char* name)
{
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    std::string_view text(value);
    if (text.size() > 11)
        return std::nullopt;
    text = Trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    int base = 10;
    if (text.size() > 1 && text[0] == '0') {
        const char prefix = text[1];
        base = prefix == 'x' || prefix == 'X' ? 16 : prefix == 'b' || prefix == 'B' ? 2 : 8;
        text.remove_prefix(base == 8 ? 1 : 2);
    }
    // Unsigned, so that from_chars takes no second sign.
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    const std::int64_t number = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(number);
}

} // namespace

int WorkerThreadCount()
{
    const std::optional<int> asked = EnvironmentNumber("PICTARON_THREADS");
    const int count = asked && *asked > 0 ? *asked
                                          : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    return std::min(count, gLimit.load());
}

void LimitWorkerThreads(int count)
{
    gLimit = std::clamp(count, 1, 64);
}

void ForEachPart(int parts, int threads, const std::function<void(int part, int worker)>& work)
{
    // Parts are handed out one at a time, so uneven parts still keep every
    // thread busy to the end.
    std::atomic<int> next = 0;
    const auto drain = [&](int worker) {
        for (int part = next++; part < parts; part = next++)
            work(part, worker);
    };
    std::vector<std::jthread> helpers;
    for (int worker = 1; worker < std::min(threads, parts); ++worker)
        helpers.emplace_back(drain, worker);
    drain(0);
}

} // namespace pictaron
