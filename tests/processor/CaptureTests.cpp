#include "helpers/ProcessorDriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace
{
constexpr auto threshold = 0.8f;
const auto justAbove = std::nextafter (threshold, 2.0f);
constexpr auto nan = std::numeric_limits<float>::quiet_NaN();
constexpr auto inf = std::numeric_limits<float>::infinity();

struct TriggerCase
{
    const char* name;
    float first, second;
    bool triggers;
};

class TriggerLevel : public testing::TestWithParam<TriggerCase> {};

TEST_P (TriggerLevel, OnlyASampleStrictlyAboveTheThresholdOnEitherChannelTriggers)
{
    const auto& c = GetParam();
    ProcessorDriver d;
    d.process ({ c.first }, { c.second });

    EXPECT_EQ (d.holdCount(), c.triggers ? 30000 : 0);
    EXPECT_EQ (d.phase(), 1);
    EXPECT_EQ (d.numPoints(), 0);
}

INSTANTIATE_TEST_SUITE_P (Cases, TriggerLevel, testing::Values (
    TriggerCase { "silence",            0.0f,       0.0f,       false },
    TriggerCase { "exactlyThreshold",   threshold,  threshold,  false },
    TriggerCase { "nextFloatUpFirst",   justAbove,  0.0f,       true },
    TriggerCase { "nextFloatUpSecond",  0.0f,       justAbove,  true },
    TriggerCase { "firstAboveSecondLow",1.0f,      -1.0f,       true },
    TriggerCase { "negativeExcursion", -1.0f,      -5.0f,       false },
    TriggerCase { "nan",                nan,        nan,        false },
    TriggerCase { "positiveInfinity",   inf,        0.0f,       true },
    TriggerCase { "negativeInfinity",  -inf,       -inf,        false }),
    [] (const testing::TestParamInfo<TriggerCase>& c) { return std::string (c.param.name); });

TEST (Capture, FirstCaptureFromANewProcessorRunsOnSchedule)
{
    ProcessorDriver d;
    d.processConstant (8, 1.0f, 0.5f, 8);              // samples 1 to 8: trigger on 1, first point on 8
    EXPECT_EQ (d.holdCount(), 29993);
    ASSERT_EQ (d.numPoints(), 1);
    EXPECT_EQ (d.firstPoint (0), 1.0f);
    EXPECT_EQ (d.secondPoint (0), 0.5f);

    d.processConstant (12000 - 8, 0.0f, 0.0f, 8);      // last point on sample 12000
    EXPECT_EQ (d.numPoints(), 1500);
    EXPECT_EQ (d.processor.getSecondChannelTrace().size(), 1500);
    EXPECT_EQ (d.holdCount(), 18001);

    d.processConstant (30000 - 12000, 1.0f, 1.0f);     // up to sample 30000: held, never re-triggered
    EXPECT_EQ (d.holdCount(), 1);
    EXPECT_EQ (d.numPoints(), 1500);
    EXPECT_EQ (d.firstPoint (1499), 0.0f);

    d.process ({ 1.0f });                              // sample 30001: the hold reaches 0, untested
    EXPECT_EQ (d.holdCount(), 0);
    EXPECT_EQ (d.numPoints(), 1500);

    d.process ({ 1.0f });                              // sample 30002 triggers and empties the traces
    EXPECT_EQ (d.holdCount(), 30000);
    EXPECT_EQ (d.numPoints(), 0);
}

TEST (Capture, RunningMaximaNeverGoBelowZeroAndIgnoreNaN)
{
    ProcessorDriver d;
    d.process ({ 1.0f, -1.0f, nan, 0.3f, -2.0f, nan, 0.2f, -1.0f },
               { 0.9f, -1.0f, -1.0f, -1.0f, -1.0f, -1.0f, -1.0f, -1.0f });
    d.process (std::vector<float> (8, -1.0f), std::vector<float> (8, nan));

    ASSERT_EQ (d.numPoints(), 2);
    EXPECT_EQ (d.firstPoint (0), 1.0f);
    EXPECT_EQ (d.secondPoint (0), 0.9f);
    EXPECT_EQ (d.firstPoint (1), 0.0f);
    EXPECT_EQ (d.secondPoint (1), 0.0f);
}

TEST (Capture, InfinityBecomesThePoint)
{
    ProcessorDriver d;
    d.process ({ 0.0f, 0.0f, inf, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f });
    ASSERT_EQ (d.numPoints(), 1);
    EXPECT_EQ (d.firstPoint (0), inf);
}

TEST (Capture, TriggerOnTheLastSampleOfABlockCompletesOnTheNextBlocks)
{
    ProcessorDriver d;
    d.processConstant (5, 0.0f, 0.0f, 5);
    d.process ({ 0.0f, 0.0f, 0.9f });                  // sample 8: trigger and first point at once
    EXPECT_EQ (d.holdCount(), 30000);
    ASSERT_EQ (d.numPoints(), 1);
    EXPECT_EQ (d.firstPoint (0), 0.9f);

    d.process ({ 0.0f });
    EXPECT_EQ (d.holdCount(), 29999);

    d.processConstant (11999, 0.5f, 0.0f, 333);
    EXPECT_EQ (d.numPoints(), 1500);
}

TEST (Capture, ASecondCrossingDuringTheHoldOnlyRaisesTheCurrentPoint)
{
    ProcessorDriver d;
    d.processConstant (8, 0.9f, 0.0f, 8);
    d.process ({ 0.0f, 0.0f, 0.95f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f });

    EXPECT_EQ (d.holdCount(), 30000 - 15);
    ASSERT_EQ (d.numPoints(), 2);
    EXPECT_EQ (d.firstPoint (1), 0.95f);
}

TEST (Capture, OneLongBlockHoldsThreeTriggers)
{
    ProcessorDriver d;
    d.processConstant (65536, 0.9f, 0.0f, 65536);

    // Triggers on samples 1, 30002 and 60003; the third capture has run 5534 samples.
    EXPECT_EQ (d.holdCount(), 30000 - (65536 - 60003));
    EXPECT_EQ (d.numPoints(), 692);
    EXPECT_EQ (d.processor.getSecondChannelTrace().size(), 692);
    EXPECT_EQ (d.phase(), 65536 % 8);
}

TEST (Capture, FourSampleBlocksEachPointSeesOnlyItsOwnBlock)
{
    ProcessorDriver d;
    d.process ({ 0.9f, 0.0f, 0.0f, 0.0f });            // trigger on sample 1
    d.process ({ 0.1f, 0.2f, 0.3f, 0.4f });            // point on sample 8: only this block
    d.process ({ 0.85f, 0.0f, 0.0f, 0.0f });           // never reaches a point
    d.process ({ 0.5f, 0.1f, 0.1f, 0.1f });

    ASSERT_EQ (d.numPoints(), 2);
    EXPECT_EQ (d.firstPoint (0), 0.4f);
    EXPECT_EQ (d.firstPoint (1), 0.5f);
}

TEST (Capture, EmptyBlocksChangeNothing)
{
    ProcessorDriver d;
    d.processConstant (20, 0.9f, 0.0f, 20);
    const auto hold = d.holdCount(), phase = d.phase(), points = d.numPoints();

    d.process ({});
    juce::AudioBuffer<float> noChannels (0, 64);
    d.processor.processBlock (noChannels, d.midi);

    EXPECT_EQ (d.holdCount(), hold);
    EXPECT_EQ (d.phase(), phase);
    EXPECT_EQ (d.numPoints(), points);
}

TEST (Capture, MonoBufferTriggersOnChannelZeroAndFillsChannelOneWithZero)
{
    ProcessorDriver d;
    std::vector<float> samples (16, 0.0f);
    samples[3] = 0.9f;
    d.processMono (samples);

    EXPECT_EQ (d.holdCount(), 30000 - 12);
    ASSERT_EQ (d.numPoints(), 2);
    EXPECT_EQ (d.firstPoint (0), 0.9f);
    ASSERT_EQ (d.processor.getSecondChannelTrace().size(), 2);
    EXPECT_EQ (d.secondPoint (0), 0.0f);
    EXPECT_EQ (d.secondPoint (1), 0.0f);
}

TEST (Capture, AudioPassesThroughBitForBit)
{
    std::mt19937 random (7);
    std::uniform_real_distribution<float> level (-2.0f, 2.0f);
    juce::AudioBuffer<float> buffer (2, 4096);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (ch, i, level (random));

    buffer.setSample (0, 10, nan);
    buffer.setSample (1, 11, -inf);
    buffer.setSample (0, 12, std::numeric_limits<float>::denorm_min());

    juce::AudioBuffer<float> original (buffer);
    ProcessorDriver d;
    d.processor.processBlock (buffer, d.midi);

    for (int ch = 0; ch < 2; ++ch)
        EXPECT_EQ (std::memcmp (buffer.getReadPointer (ch), original.getReadPointer (ch), sizeof (float) * 4096), 0);
}

TEST (Capture, CuttingASignalIntoOtherBlocksKeepsTriggersHoldPhaseAndPointCount)
{
    std::mt19937 random (1234);
    std::uniform_real_distribution<float> level (-1.0f, 0.82f);
    std::vector<float> first (200000), second (200000);
    for (size_t i = 0; i < first.size(); ++i)
    {
        first[i] = level (random);
        second[i] = level (random);
    }

    ProcessorDriver whole, split;
    whole.process (first, second);

    std::uniform_int_distribution<int> blockSize (0, 3000);
    size_t position = 0;
    int triggersSeen = 0, lastHold = 0;

    while (position < first.size())
    {
        const auto n = std::min ((size_t) blockSize (random), first.size() - position);
        split.process ({ first.begin() + (long) position, first.begin() + (long) (position + n) },
                       { second.begin() + (long) position, second.begin() + (long) (position + n) });
        position += n;

        if (split.holdCount() > lastHold)
            ++triggersSeen;
        lastHold = split.holdCount();
    }

    EXPECT_GT (triggersSeen, 2);
    EXPECT_EQ (split.holdCount(), whole.holdCount());
    EXPECT_EQ (split.phase(), whole.phase());
    EXPECT_EQ (split.numPoints(), whole.numPoints());
}

TEST (Capture, TwoProcessorsKeepSeparateStates)
{
    ProcessorDriver a, b;
    a.processConstant (64, 0.9f);
    EXPECT_EQ (a.holdCount(), 30000 - 63);
    EXPECT_EQ (a.numPoints(), 8);
    EXPECT_EQ (b.holdCount(), 0);
    EXPECT_EQ (b.numPoints(), 0);
    EXPECT_EQ (b.phase(), 0);
}

TEST (Capture, PreparingAndReleasingInAnyOrderLeavesTheCaptureAlone)
{
    ProcessorDriver d;
    d.processConstant (100, 0.9f, 0.3f, 100);

    d.processor.releaseResources();
    d.processor.releaseResources();
    d.processor.prepareToPlay (96000.0, 32);
    d.processor.prepareToPlay (22050.0, 4096);
    d.processor.releaseResources();

    EXPECT_EQ (d.holdCount(), 30000 - 99);
    EXPECT_EQ (d.phase(), 100 % 8);
    EXPECT_EQ (d.numPoints(), 12);

    d.processConstant (12000, 0.0f);
    EXPECT_EQ (d.numPoints(), 1500);
}
} // namespace
