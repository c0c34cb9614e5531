#pragma once

#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace quillorn::host
{

using Block = std::vector<std::vector<float>>;

/** Random samples in [-1, 1] strewn with NaN, infinities and denormals. */
inline Block makeHostileBlock (size_t numChannels, size_t numSamples, unsigned seed)
{
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> sample (-1.0f, 1.0f);
    const float specials[] { std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::denorm_min(), -1.0e-40f, 0.0f, -0.0f };

    Block block (numChannels, std::vector<float> (numSamples));

    for (auto& channel : block)
        for (auto& value : channel)
            value = random() % 8 == 0 ? specials[random() % std::size (specials)] : sample (random);

    return block;
}

/** A block at full scale, far above any trigger level. */
inline Block makeLoudBlock (size_t numChannels, size_t numSamples)
{
    return Block (numChannels, std::vector<float> (numSamples, 1.0f));
}

/** True if both blocks hold the same bits, NaN payloads and signed zeros included. */
inline bool bitIdentical (const Block& a, const Block& b)
{
    if (a.size() != b.size())
        return false;

    for (size_t channel = 0; channel < a.size(); ++channel)
        if (a[channel].size() != b[channel].size()
            || (! a[channel].empty() && std::memcmp (a[channel].data(), b[channel].data(), a[channel].size() * sizeof (float)) != 0))
            return false;

    return true;
}

} // namespace quillorn::host
