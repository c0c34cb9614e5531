#include "TestSignals.h"
#include "Vst3Host.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace quillorn::host;

namespace
{

class LayoutTest : public ::testing::Test
{
protected:
    std::pair<Vst::SpeakerArrangement, Vst::SpeakerArrangement> readArrangements()
    {
        Vst::SpeakerArrangement in = 0, out = 0;
        EXPECT_EQ (plugin.getProcessor().getBusArrangement (Vst::kInput, 0, in), kResultTrue);
        EXPECT_EQ (plugin.getProcessor().getBusArrangement (Vst::kOutput, 0, out), kResultTrue);
        return { in, out };
    }

    void expectPassThrough (size_t numChannels)
    {
        ASSERT_TRUE (plugin.prepare (44100.0, 512));
        const auto input = makeHostileBlock (numChannels, 512, (unsigned) numChannels);
        Block output;
        ASSERT_EQ (plugin.process (input, output), kResultOk);
        EXPECT_TRUE (bitIdentical (input, output)) << numChannels << " channels";
    }

    Vst3Module module;
    Vst3Plugin plugin { module };
};

} // namespace

TEST_F (LayoutTest, MonoAndStereoOnBothBusesAreAcceptedAndPassAudio)
{
    using Arrangements = std::pair<Vst::SpeakerArrangement, Vst::SpeakerArrangement>;

    for (const auto numChannels : { 1, 2, 1 })
    {
        const auto expected = numChannels == 1 ? Vst::SpeakerArr::kMono : Vst::SpeakerArr::kStereo;
        EXPECT_EQ (plugin.setChannelCount (numChannels), kResultTrue);
        EXPECT_EQ (readArrangements(), (Arrangements { expected, expected }));
        expectPassThrough ((size_t) numChannels);
    }
}

TEST_F (LayoutTest, StereoInWithSurroundOutIsRefusedForAnAcceptedLayout)
{
    Vst::SpeakerArrangement in = Vst::SpeakerArr::kStereo, out = Vst::SpeakerArr::k51;
    EXPECT_EQ (plugin.getProcessor().setBusArrangements (&in, 1, &out, 1), kResultFalse);

    const auto [readIn, readOut] = readArrangements();
    EXPECT_EQ (readIn, readOut);
    EXPECT_TRUE (readOut == Vst::SpeakerArr::kMono || readOut == Vst::SpeakerArr::kStereo) << readOut;
}

TEST_F (LayoutTest, DeactivatingABusIsAnsweredButBothStayEnabled)
{
    for (const auto numChannels : { 2, 1 })
    {
        ASSERT_EQ (plugin.setChannelCount (numChannels), kResultTrue);
        const auto before = readArrangements();

        for (const auto direction : { Vst::kInput, Vst::kOutput })
        {
            EXPECT_EQ (plugin.getComponent().activateBus (Vst::kAudio, direction, 0, false), kResultTrue);
            EXPECT_EQ (readArrangements(), before);
        }

        // prepare() activates both buses again, as a host would before it processes.
        expectPassThrough ((size_t) numChannels);
        EXPECT_EQ (readArrangements(), before);
    }
}
