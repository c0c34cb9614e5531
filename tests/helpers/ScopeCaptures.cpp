#include "ScopeCaptures.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
// A one-sample trigger, then the 11999 samples that complete a 1500-point capture.
constexpr size_t captureLength = 11999;

using Signal = std::function<float (size_t)>;

std::function<void (ProcessorDriver&)> stereo (Signal first, Signal second)
{
    return [=] (ProcessorDriver& d)
    {
        std::vector<float> a (captureLength), b (captureLength);

        for (size_t i = 0; i < captureLength; ++i)
        {
            a[i] = first (i);
            b[i] = second (i);
        }

        d.process ({ 0.9f }, { 0.9f });
        d.process (a, b);
    };
}

Signal constant (float level)  { return [=] (size_t) { return level; }; }

// A sine of amplitude 0.9 at 48 kHz, delayed by a number of quarter periods.
Signal sine (double frequency, double quarterPeriods = 0.0)
{
    return [=] (size_t i)
    {
        const auto phase = juce::MathConstants<double>::twoPi * frequency * (double) i / 48000.0;
        return (float) (0.9 * std::sin (phase - quarterPeriods * juce::MathConstants<double>::halfPi));
    };
}

// Channel 1 a quarter period behind channel 0.
ScopeCapture sines (const std::string& name, double frequency)
{
    return { name, stereo (sine (frequency), sine (frequency, 1.0)) };
}

// White noise from -1 to 1, the same for a seed at every call: a SplitMix64 hash of
// the seed and the sample index.
Signal noise (std::uint64_t seed)
{
    return [=] (size_t i)
    {
        auto z = (seed << 32) + (std::uint64_t) i + 0x9e3779b97f4a7c15ull;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        z ^= z >> 31;
        return (float) (z >> 40) / (float) (1 << 24) * 2.0f - 1.0f;
    };
}

// One sample of the peak every 16 samples, so the 8-sample maxima alternate between
// the peak and the base.
Signal pulses (size_t offset, float peak = 1.0f, float base = 0.0f)
{
    return [=] (size_t i) { return (i + offset) % 16 == 15 ? peak : base; };
}

ScopeCapture pulsesUpTo (const std::string& name, float peak)
{
    return { name, stereo (pulses (8, peak, 0.5f), pulses (0, peak, 0.5f)) };
}
} // namespace

const std::vector<ScopeCapture>& scopeCaptures()
{
    static const std::vector<ScopeCapture> captures {
        { "empty", [] (ProcessorDriver&) {} },
        { "steady-levels", stereo (constant (0.9f), constant (0.5f)) },
        sines ("sine-100Hz", 100.0),
        sines ("sine-440Hz", 440.0),
        sines ("sine-1kHz", 1000.0),
        sines ("sine-3kHz", 3000.0),
        sines ("sine-10kHz", 10000.0),
        { "noise", stereo (noise (1), noise (2)) },
        { "alternating-1-and-0", stereo (pulses (8), pulses (0)) },
        { "mono-sine-440Hz",
          [] (ProcessorDriver& d)
          {
              std::vector<float> samples (captureLength);

              for (size_t i = 0; i < captureLength; ++i)
                  samples[i] = sine (440.0) (i);

              d.processMono ({ 0.9f });
              d.processMono (samples);
          } },
        { "at-the-top-edge",
          stereo (constant (1.25f), [] (size_t i) { return (i / 64) % 2 == 0 ? 1.25f : 0.25f; }) },
    };

    return captures;
}

const std::vector<ScopeCapture>& farOffCaptures()
{
    static const std::vector<ScopeCapture> captures {
        pulsesUpTo ("up-to-just-above", 1.3f),
        pulsesUpTo ("up-to-1e7", 1.0e7f),
        pulsesUpTo ("up-to-largest-float", std::numeric_limits<float>::max()),
        pulsesUpTo ("up-to-infinity", std::numeric_limits<float>::infinity()),
    };

    return captures;
}
