#include "PluginEditor.h"
#include "helpers/MessageLoop.h"
#include "helpers/RepaintCounter.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

namespace
{
using Snapshot = QuillornAudioProcessor::CaptureSnapshot;

/** Feeds a processor constant stereo blocks in which every capture holds one value of
    its own. A new value starts only while the capture is armed, so it triggers on the
    first sample of its block and its first point covers nothing older; the rest of the
    hold gets silence, which never triggers.
*/
class DistinctCaptures
{
public:
    explicit DistinctCaptures (QuillornAudioProcessor& p) : processor (p) {}

    void processBlock()
    {
        // Sizes that put block ends everywhere in the capture window and the hold.
        static constexpr std::array<int, 7> blockSizes { 512, 1, 7, 64, 333, 480, 1024 };
        const auto numSamples = blockSizes[(size_t) (numBlocks++ % blockSizes.size())];

        const auto hold = processor.getHoldCount();

        if (hold == 0)
            value = 1.0f + (float) numCaptures++;

        const auto level = (hold == 0 || hold > 18000) ? value : 0.0f;

        buffer.setSize (2, numSamples, false, false, true);

        for (int channel = 0; channel < 2; ++channel)
            juce::FloatVectorOperations::fill (buffer.getWritePointer (channel), level, numSamples);

        processor.processBlock (buffer, midi);
    }

    int getNumCaptures() const noexcept   { return numCaptures; }

private:
    QuillornAudioProcessor& processor;
    juce::AudioBuffer<float> buffer { 2, 1024 };
    juce::MidiBuffer midi;
    float value = 0.0f;
    int numCaptures = 0;
    size_t numBlocks = 0;
};

/** Checks one snapshot against what DistinctCaptures can have published. Captures
    come in rising values, so a later snapshot never shows a smaller one.
*/
testing::AssertionResult isWholeCapture (const Snapshot& snapshot, float& lastValue)
{
    const auto& first = snapshot.firstChannelTrace;
    const auto& second = snapshot.secondChannelTrace;
    const auto numPoints = first.size();
    const auto hold = snapshot.holdCount;

    if (second.size() != numPoints)
        return testing::AssertionFailure() << "trace lengths " << numPoints << " and " << second.size();

    if (hold < 0 || hold > 30000)
        return testing::AssertionFailure() << "hold count " << hold;

    if (hold > 18000)
    {
        // Capturing: one point per 8 samples since the trigger sample, give or take the
        // phase at which the capture began.
        const auto samplesSinceTrigger = 30000 - hold + 1;

        if (std::abs (numPoints * 8 - samplesSinceTrigger) >= 8)
            return testing::AssertionFailure() << numPoints << " points at hold count " << hold;
    }
    else if (numPoints != QuillornAudioProcessor::maxCapturePoints && ! (hold == 0 && numPoints == 0))
    {
        return testing::AssertionFailure() << numPoints << " points at hold count " << hold;
    }

    if (numPoints == 0)
        return testing::AssertionSuccess();

    const auto value = first.getFirst();

    for (int i = 0; i < numPoints; ++i)
        if (! juce::exactlyEqual (first[i], value) || ! juce::exactlyEqual (second[i], value))
            return testing::AssertionFailure() << "point " << i << " is " << first[i] << "/" << second[i]
                                               << " in a capture of " << value << " (hold count " << hold << ")";

    if (value < lastValue)
        return testing::AssertionFailure() << "capture " << value << " read after capture " << lastValue;

    lastValue = value;
    return testing::AssertionSuccess();
}

/** Reads the processor's hand-over over and over, checking each snapshot. */
struct CaptureReader
{
    explicit CaptureReader (const QuillornAudioProcessor& p) : processor (p) {}

    /** Returns false after the first inconsistent snapshot, which it reports. */
    bool read()
    {
        if (! processor.readCapture (snapshot))
        {
            ++failures;

            // A failed read leaves the snapshot alone, so the editor keeps its picture.
            EXPECT_EQ (snapshot.firstChannelTrace, lastGood.firstChannelTrace);
            EXPECT_EQ (snapshot.holdCount, lastGood.holdCount);
            return true;
        }

        ++successes;
        lastGood = snapshot;
        const auto result = isWholeCapture (snapshot, lastValue);
        EXPECT_TRUE (result);
        return result;
    }

    const QuillornAudioProcessor& processor;
    Snapshot snapshot, lastGood;
    float lastValue = 0.0f;
    int successes = 0, failures = 0;
};

void paintInto (juce::Image& image, juce::Component& editor)
{
    juce::Graphics g (image);
    editor.paint (g);
}

TEST (HandOver, AnOpenEditorAndDirectReadersOnlyEverSeeWholeCaptures)
{
    QuillornAudioProcessor processor;
    std::unique_ptr<QuillornAudioProcessorEditor> editor (
        dynamic_cast<QuillornAudioProcessorEditor*> (processor.createEditor()));
    ASSERT_NE (editor, nullptr);
    auto& repaints = RepaintCounter::attachTo (*editor);

    // The first paint loads the fonts, which takes long under a sanitizer.
    juce::Image image (juce::Image::ARGB, editor->getWidth(), editor->getHeight(), true);
    paintInto (image, *editor);

    std::atomic<bool> stop { false };
    std::atomic<int> capturesStarted { 0 };

    std::thread audio ([&]
    {
        DistinctCaptures source (processor);

        // Paced roughly like a host's callbacks, so that a reader is rarely overtaken.
        while (! stop)
        {
            source.processBlock();
            capturesStarted = source.getNumCaptures();
            std::this_thread::sleep_for (std::chrono::microseconds (50));
        }
    });

    CaptureReader reader (processor);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds (3);
    auto consistent = true;
    auto paints = 0;

    while (consistent && std::chrono::steady_clock::now() < end)
    {
        runMessageLoopFor (1);

        paintInto (image, *editor);
        ++paints;

        for (int i = 0; i < 50 && consistent; ++i)
            consistent = reader.read();
    }

    stop = true;
    audio.join();

    const auto reads = reader.successes + reader.failures;
    EXPECT_GT (capturesStarted.load(), 10);
    EXPECT_GT (paints, 0);
    EXPECT_GT (repaints.wholeRepaints, 0);
    EXPECT_GT (reader.successes, reads * 9 / 10) << reader.failures << " of " << reads << " reads failed";
}

// That the reader never makes the audio thread wait is measured, against a run without a
// reader, by process_block_benchmark.
TEST (HandOver, EveryReadIsWholeWhileAReaderReadsWithoutPause)
{
    QuillornAudioProcessor processor;
    std::atomic<bool> done { false };

    // Enough blocks, unpaced, for well over a hundred captures.
    constexpr int numBlocks = 20000;
    int captures = 0;

    std::thread audio ([&]
    {
        DistinctCaptures source (processor);

        for (int i = 0; i < numBlocks; ++i)
            source.processBlock();

        captures = source.getNumCaptures();
        done = true;
    });

    CaptureReader reader (processor);
    auto consistent = true;

    while (consistent && ! done)
        consistent = reader.read();

    audio.join();

    // The run covered many captures, and the reader checked snapshots of them.
    EXPECT_GT (captures, 100);
    EXPECT_GT (reader.successes, 0);
}
} // namespace
