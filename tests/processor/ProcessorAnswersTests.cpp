#include "helpers/ProcessorDriver.h"

#include <gtest/gtest.h>

#include <bit>

namespace
{
TEST (ProcessorAnswers, ANewProcessorIsArmedWithEmptyTraces)
{
    QuillornAudioProcessor processor;

    EXPECT_EQ (processor.getFirstChannelTrace().size(), 0);
    EXPECT_EQ (processor.getSecondChannelTrace().size(), 0);
    EXPECT_EQ (processor.getFirstChannelTrace().getRawDataPointer(), nullptr);
    EXPECT_EQ (processor.getSecondChannelTrace().getRawDataPointer(), nullptr);
    EXPECT_EQ (processor.getHoldCount(), 0);
    EXPECT_EQ (processor.getDecimationPhase(), 0);
    EXPECT_EQ (std::bit_cast<std::uint32_t> (processor.getTriggerThreshold()), 0x3F4CCCCDu);
    EXPECT_EQ (processor.getPublishedPointCount(), 0);
}

TEST (ProcessorAnswers, OffersOneStereoInputAndOneStereoOutput)
{
    QuillornAudioProcessor processor;

    ASSERT_EQ (processor.getBusCount (true), 1);
    ASSERT_EQ (processor.getBusCount (false), 1);
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getBus (true, 0)->getCurrentLayout(), juce::AudioChannelSet::stereo());
    EXPECT_EQ (processor.getBus (false, 0)->getCurrentLayout(), juce::AudioChannelSet::stereo());
    EXPECT_TRUE (processor.getBus (true, 0)->isEnabled());
    EXPECT_TRUE (processor.getBus (false, 0)->isEnabled());
    EXPECT_EQ (processor.getTotalNumInputChannels(), 2);
    EXPECT_EQ (processor.getTotalNumOutputChannels(), 2);
}

TEST (ProcessorAnswers, ConstantAnswers)
{
    QuillornAudioProcessor processor;

    EXPECT_EQ (processor.getName(), "Quillorn");
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getLatencySamples(), 0);
    EXPECT_TRUE (processor.getParameters().isEmpty());
    EXPECT_EQ (processor.getBypassParameter(), nullptr);
    EXPECT_FALSE (processor.supportsDoublePrecisionProcessing());
}

TEST (ProcessorAnswers, OneUnnamedProgramThatNoCallChanges)
{
    QuillornAudioProcessor processor;

    for (const auto index : { -5, -1, 0, 1, 2, 1000 })
    {
        processor.setCurrentProgram (index);
        processor.changeProgramName (index, "renamed");
        EXPECT_EQ (processor.getNumPrograms(), 1);
        EXPECT_EQ (processor.getCurrentProgram(), 0);
        EXPECT_EQ (processor.getProgramName (index), juce::String());
        EXPECT_EQ (processor.getProgramName (0), juce::String());
    }
}

TEST (ProcessorAnswers, StateCarriesNothingOfTheProcessorsOwn)
{
    ProcessorDriver d;
    auto& processor = d.processor;
    d.processConstant (100, 1.0f, 0.0f, 100);

    juce::MemoryBlock state ("keep", 4);
    processor.getStateInformation (state);
    EXPECT_EQ (state, juce::MemoryBlock ("keep", 4));

    const char junk[] = "\x00\xff not a state";
    processor.setStateInformation (junk, (int) sizeof (junk));
    processor.setStateInformation (nullptr, 0);

    EXPECT_EQ (processor.getHoldCount(), 30000 - 99);
    EXPECT_EQ (processor.getFirstChannelTrace().size(), 12);
    EXPECT_EQ (processor.getDecimationPhase(), 100 % 8);
}

TEST (ProcessorAnswers, EachEditorIsNewAndBoundToItsProcessor)
{
    QuillornAudioProcessor processor;
    std::unique_ptr<juce::AudioProcessorEditor> first (processor.createEditor());
    std::unique_ptr<juce::AudioProcessorEditor> second (processor.createEditor());

    ASSERT_NE (first, nullptr);
    ASSERT_NE (second, nullptr);
    EXPECT_NE (first.get(), second.get());
    EXPECT_EQ (&first->processor, &processor);
    EXPECT_EQ (&second->processor, &processor);
}
} // namespace
