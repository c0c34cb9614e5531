#include "PluginEditor.h"
#include "helpers/MessageLoop.h"
#include "helpers/ProcessorDriver.h"
#include "helpers/RepaintCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
std::unique_ptr<QuillornAudioProcessorEditor> openEditor (QuillornAudioProcessor& processor)
{
    return std::unique_ptr<QuillornAudioProcessorEditor> (
        dynamic_cast<QuillornAudioProcessorEditor*> (processor.createEditor()));
}

TEST (Editor, IsAFixedSizeWindowRefreshedEvery33Milliseconds)
{
    QuillornAudioProcessor processor;
    auto editor = openEditor (processor);

    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getWidth(), 1600);
    EXPECT_EQ (editor->getHeight(), 800);
    EXPECT_EQ (editor->getTimerInterval(), 33);
    EXPECT_FALSE (editor->isResizable());
}

TEST (Editor, RepaintsWholeOnlyOnceTheChannelZeroTraceHoldsPoints)
{
    ProcessorDriver d;
    auto editor = openEditor (d.processor);
    auto& repaints = RepaintCounter::attachTo (*editor);

    runMessageLoopFor (200);
    EXPECT_EQ (repaints.wholeRepaints, 0);

    d.processConstant (7, 0.9f, 0.0f, 7);              // triggered, but no point yet
    runMessageLoopFor (200);
    EXPECT_EQ (repaints.wholeRepaints, 0);

    d.process ({ 0.0f });                              // the first point
    runMessageLoopFor (200);
    EXPECT_GT (repaints.wholeRepaints, 0);
    EXPECT_LE (repaints.wholeRepaints, 200 / 33 + 1);
    EXPECT_EQ (repaints.partialRepaints, 0);

    // With nothing changing any more, the ticks go on repainting the same picture.
    const auto before = repaints.wholeRepaints;
    runMessageLoopFor (200);
    EXPECT_GT (repaints.wholeRepaints, before);
}

TEST (Editor, OpeningAndClosingWhileCapturingLeavesTheCaptureRunning)
{
    ProcessorDriver d;
    std::atomic<bool> stop { false };
    std::atomic<int> blocks { 0 };

    std::thread audio ([&]
    {
        while (! stop)
        {
            d.processConstant (64, 0.9f, 0.5f, 64);
            ++blocks;
        }
    });

    juce::Image image (juce::Image::ARGB, 1600, 800, true);

    for (int i = 0; i < 20; ++i)
    {
        auto editor = openEditor (d.processor);
        auto& repaints = RepaintCounter::attachTo (*editor);
        runMessageLoopFor (100);
        juce::Graphics g (image);
        editor->paint (g);
        EXPECT_GT (repaints.wholeRepaints, 0);
    }

    const auto blocksWithEditors = blocks.load();
    stop = true;
    audio.join();

    EXPECT_GT (blocksWithEditors, 20);
    EXPECT_GT (d.numPoints(), 0);
}
} // namespace
