#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace
{
using Layout = juce::AudioProcessor::BusesLayout;
using Set = juce::AudioChannelSet;

/** A main bus's channel set, or none for a list without entries. */
using MainBus = std::optional<Set>;

Set setOf (std::initializer_list<Set::ChannelType> types)
{
    Set set;

    for (const auto type : types)
        set.addChannel (type);

    return set;
}

Layout layoutOf (const MainBus& input, const MainBus& output)
{
    Layout layout;

    if (input.has_value())
        layout.inputBuses.add (*input);

    if (output.has_value())
        layout.outputBuses.add (*output);

    return layout;
}

enum Kind { mono, stereo, other, disabled, absent };

std::vector<MainBus> busesOfKind (Kind kind)
{
    switch (kind)
    {
        case mono:      return { Set::mono() };
        case stereo:    return { Set::stereo() };
        case other:     return { Set::createLCR(), Set::quadraphonic(), Set::create5point1(),
                                 Set::discreteChannels (2), setOf ({ Set::left }) };
        case disabled:  return { Set::disabled() };
        case absent:    return { std::nullopt };
    }

    return {};
}

constexpr Kind kinds[] { mono, stereo, other, disabled, absent };
const char* const kindNames[] { "mono", "stereo", "other", "disabled", "absent" };

// Rows: main output; columns: main input.
constexpr bool accepted[5][5]
{
    //               mono   stereo other  disabled absent
    /* mono */     { true,  false, false, false,   false },
    /* stereo */   { false, true,  false, false,   false },
    /* other */    { false, false, false, false,   false },
    /* disabled */ { false, false, false, false,   false },
    /* absent */   { false, false, false, false,   false },
};

/** Calls back with every candidate of the table and the answer it must get. The
    other-by-other cell pairs every such set with itself too (5.1 in and 5.1 out, say).
*/
template <typename Check>
void forEachCandidate (Check&& check)
{
    for (const auto outputKind : kinds)
        for (const auto inputKind : kinds)
            for (const auto& output : busesOfKind (outputKind))
                for (const auto& input : busesOfKind (inputKind))
                {
                    SCOPED_TRACE (juce::String (kindNames[outputKind]) + " out "
                                  + (output ? output->getDescription() : "(none)") + ", "
                                  + kindNames[inputKind] + " in "
                                  + (input ? input->getDescription() : "(none)"));
                    check (input, output, accepted[outputKind][inputKind]);
                }
}

TEST (Layouts, OnlyMonoOrStereoOutWithAnEqualInputIsAccepted)
{
    const QuillornAudioProcessor processor;

    forEachCandidate ([&] (const MainBus& input, const MainBus& output, bool expected)
    {
        EXPECT_EQ (processor.isBusesLayoutSupported (layoutOf (input, output)), expected);
    });
}

TEST (Layouts, StereoListedRightThenLeftIsStereo)
{
    const QuillornAudioProcessor processor;
    const auto rightLeft = setOf ({ Set::right, Set::left });

    EXPECT_TRUE (processor.isBusesLayoutSupported (layoutOf (rightLeft, rightLeft)));
    EXPECT_TRUE (processor.isBusesLayoutSupported (layoutOf (Set::stereo(), rightLeft)));
    EXPECT_TRUE (processor.isBusesLayoutSupported (layoutOf (rightLeft, Set::stereo())));
    EXPECT_FALSE (processor.isBusesLayoutSupported (layoutOf (rightLeft, Set::mono())));
}

TEST (Layouts, EntriesAfterTheFirstAreNotExamined)
{
    const QuillornAudioProcessor processor;
    const std::vector<Set> extras { Set::mono(), Set::stereo(), Set::create5point1(), Set::disabled() };

    forEachCandidate ([&] (const MainBus& input, const MainBus& output, bool expected)
    {
        for (const auto& extra : extras)
        {
            auto withExtraInput = layoutOf (input, output);
            auto withExtraOutput = withExtraInput;

            // An extra entry in an empty list would become its first.
            if (input.has_value())
            {
                withExtraInput.inputBuses.add (extra);
                EXPECT_EQ (processor.isBusesLayoutSupported (withExtraInput), expected) << "extra input " << extra.getDescription();
            }

            if (output.has_value())
            {
                withExtraOutput.outputBuses.add (extra);
                EXPECT_EQ (processor.isBusesLayoutSupported (withExtraOutput), expected) << "extra output " << extra.getDescription();
            }
        }
    });
}

//==============================================================================
void expectMainBuses (const QuillornAudioProcessor& processor, const Set& expected)
{
    EXPECT_EQ (processor.getChannelLayoutOfBus (true, 0), expected);
    EXPECT_EQ (processor.getChannelLayoutOfBus (false, 0), expected);
    EXPECT_TRUE (processor.getBus (true, 0)->isEnabled());
    EXPECT_TRUE (processor.getBus (false, 0)->isEnabled());
}

TEST (Layouts, TheFrameworkAppliesMonoAndTheCaptureRunsOnChannelZero)
{
    QuillornAudioProcessor processor;

    ASSERT_TRUE (processor.setBusesLayout (layoutOf (Set::mono(), Set::mono())));
    expectMainBuses (processor, Set::mono());
    ASSERT_EQ (processor.getTotalNumInputChannels(), 1);
    ASSERT_EQ (processor.getTotalNumOutputChannels(), 1);

    // A buffer shaped the way a host shapes it for the applied layout.
    juce::AudioBuffer<float> buffer (processor.getTotalNumOutputChannels(), 16);
    buffer.clear();
    buffer.setSample (0, 2, 0.9f);
    juce::MidiBuffer midi;
    processor.prepareToPlay (44100.0, 16);
    processor.processBlock (buffer, midi);

    EXPECT_EQ (processor.getHoldCount(), 30000 - 13);
    ASSERT_EQ (processor.getFirstChannelTrace().size(), 2);
    EXPECT_EQ (processor.getFirstChannelTrace()[0], 0.9f);
    EXPECT_EQ (processor.getFirstChannelTrace()[1], 0.0f);
    EXPECT_EQ (processor.getSecondChannelTrace().size(), 2);

    // The answers do not depend on the applied layout or on a running capture.
    EXPECT_TRUE (processor.checkBusesLayoutSupported (layoutOf (Set::stereo(), Set::stereo())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layoutOf (Set::mono(), Set::stereo())));

    ASSERT_TRUE (processor.setBusesLayout (layoutOf (Set::stereo(), Set::stereo())));
    expectMainBuses (processor, Set::stereo());
}

TEST (Layouts, TheFrameworkRefusesOtherLayoutsAndKeepsAnAcceptedOne)
{
    QuillornAudioProcessor processor;

    EXPECT_FALSE (processor.setBusesLayout (layoutOf (Set::stereo(), Set::create5point1())));
    expectMainBuses (processor, Set::stereo());
    EXPECT_TRUE (processor.checkBusesLayoutSupported (processor.getBusesLayout()));

    // A host deactivating a bus is refused; both buses stay enabled with their sets.
    EXPECT_FALSE (processor.getBus (true, 0)->enable (false));
    EXPECT_FALSE (processor.getBus (false, 0)->enable (false));
    expectMainBuses (processor, Set::stereo());

    EXPECT_TRUE (processor.enableAllBuses());
    expectMainBuses (processor, Set::stereo());
}
} // namespace
