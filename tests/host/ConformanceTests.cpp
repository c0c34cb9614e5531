#include "TestSignals.h"
#include "Vst3Host.h"

#include <gtest/gtest.h>

#include <pluginterfaces/vst/ivstunits.h>

using namespace Steinberg;
using namespace quillorn::host;

namespace
{

constexpr int maxBlockSize = 65536;

class ConformanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (plugin.prepare (48000.0, maxBlockSize));
    }

    /** Processes the block with the bypass parameter set as given and expects it back unchanged. */
    void expectPassThrough (const Block& input, bool bypassed)
    {
        Block output;
        ASSERT_EQ (plugin.processWithBypass (bypassed, input, output), kResultOk);
        EXPECT_TRUE (bitIdentical (input, output)) << "block of " << input.front().size() << " samples";
    }

    Vst3Module module;
    Vst3Plugin plugin { module };
};

} // namespace

TEST_F (ConformanceTest, HasNoTailAndNoLatency)
{
    EXPECT_EQ (plugin.getProcessor().getTailSamples(), Vst::kNoTail);
    EXPECT_EQ (plugin.getProcessor().getLatencySamples(), 0u);
}

TEST_F (ConformanceTest, OffersOneUnnamedProgram)
{
    auto units = U::cast<Vst::IUnitInfo> (&plugin.getController());
    ASSERT_NE (units, nullptr);
    ASSERT_EQ (units->getProgramListCount(), 1);

    Vst::ProgramListInfo list {};
    ASSERT_EQ (units->getProgramListInfo (0, list), kResultTrue);
    EXPECT_EQ (list.programCount, 1);

    Vst::String128 name {};
    name[0] = 'x';
    EXPECT_EQ (units->getProgramName (list.id, 0, name), kResultTrue);
    EXPECT_EQ (name[0], 0);

    name[0] = 'x';
    EXPECT_EQ (units->getProgramName (list.id, 1, name), kResultFalse);
    EXPECT_EQ (name[0], 0);
}

TEST_F (ConformanceTest, BypassIsTheOnlyParameter)
{
    auto& controller = plugin.getController();
    ASSERT_EQ (controller.getParameterCount(), 1);

    Vst::ParameterInfo info {};
    ASSERT_EQ (controller.getParameterInfo (0, info), kResultTrue);
    EXPECT_NE (info.flags & Vst::ParameterInfo::kIsBypass, 0);
    EXPECT_EQ (info.flags & Vst::ParameterInfo::kIsProgramChange, 0);
}

TEST_F (ConformanceTest, AudioPassesThroughBitForBitWithBypassOffAndOn)
{
    unsigned seed = 1;

    for (const auto bypassed : { false, true })
    {
        SCOPED_TRACE (bypassed ? "bypassed" : "active");

        for (const auto numSamples : { 0, 1, 7, 8, 512, 4096, maxBlockSize })
            expectPassThrough (makeHostileBlock (2, (size_t) numSamples, seed++), bypassed);

        // A block at full scale triggers a capture when not bypassed.
        expectPassThrough (makeLoudBlock (2, 512), bypassed);
    }
}
