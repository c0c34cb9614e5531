#include "TestSignals.h"
#include "Vst3Host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

using namespace Steinberg;
using namespace quillorn::host;

namespace
{

const std::string marker = "JUCEPrivateData";

class StateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (plugin.prepare (48000.0, 4096));
        ASSERT_GE (plugin.findBypassParameter(), 0);
    }

    void processWithBypass (bool bypassed, const Block& input)
    {
        Block output;
        ASSERT_EQ (plugin.processWithBypass (bypassed, input, output), kResultOk);
    }

    void expectPassThrough()
    {
        const auto input = makeHostileBlock (2, 512, 7);
        Block output;
        ASSERT_EQ (plugin.process (input, output), kResultOk);
        EXPECT_TRUE (bitIdentical (input, output));
    }

    /** The state with its private block's size field (the 8 bytes before the marker) replaced. */
    static std::vector<char> withSizeField (std::vector<char> state, uint64 size)
    {
        std::memcpy (state.data() + state.size() - marker.size() - sizeof (uint64), &size, sizeof (uint64));
        return state;
    }

    Vst3Module module;
    Vst3Plugin plugin { module };
};

bool endsWithMarker (const std::vector<char>& data)
{
    return data.size() >= marker.size() && std::equal (marker.begin(), marker.end(), data.end() - (ptrdiff_t) marker.size());
}

} // namespace

TEST_F (StateTest, SavedStateIsThePrivateBlockAloneWhateverWasCaptured)
{
    const auto before = plugin.getState();
    ASSERT_TRUE (endsWithMarker (before));

    // The block starts with a zero word and stores its own size just before the marker.
    uint64 leadingWord = 1, storedSize = 0;
    std::memcpy (&leadingWord, before.data(), sizeof (uint64));
    std::memcpy (&storedSize, before.data() + before.size() - marker.size() - sizeof (uint64), sizeof (uint64));
    EXPECT_EQ (leadingWord, 0u);
    EXPECT_EQ (storedSize, before.size() - marker.size() - 2 * sizeof (uint64));

    processWithBypass (false, makeLoudBlock (2, 4096));
    EXPECT_EQ (plugin.getState(), before);
}

TEST_F (StateTest, RestoringASavedStateBringsBackTheBypass)
{
    const auto active = plugin.getState();
    processWithBypass (true, makeLoudBlock (2, 64));
    const auto bypassed = plugin.getState();
    EXPECT_NE (bypassed, active);

    ASSERT_EQ (plugin.setState (active), kResultTrue);
    EXPECT_EQ (plugin.getState(), active);
    expectPassThrough();

    ASSERT_EQ (plugin.setState (bypassed), kResultTrue);
    EXPECT_EQ (plugin.getState(), bypassed);
    expectPassThrough();
}

TEST_F (StateTest, ArbitraryBytesChangeNothing)
{
    processWithBypass (true, makeLoudBlock (2, 64));
    const auto before = plugin.getState();

    for (const std::string bytes : { std::string ("x"), std::string (1000, '\0'), std::string ("JUCEPrivateDat"),
                                     std::string ("some project data JUCEPrivateData!") })
    {
        plugin.setState ({ bytes.begin(), bytes.end() });
        EXPECT_EQ (plugin.getState(), before) << bytes;
    }

    expectPassThrough();
}

TEST_F (StateTest, PrivateBlockWhoseSizeDoesNotFitIsIgnored)
{
    // The restore trusted the size field and read before the start of the data; such a block
    // must be ignored. The bypassed block must not switch the bypass on.
    const auto active = plugin.getState();
    processWithBypass (true, makeLoudBlock (2, 64));
    const auto bypassed = plugin.getState();
    ASSERT_EQ (plugin.setState (active), kResultTrue);

    const uint64 payload = bypassed.size() - marker.size() - 2 * sizeof (uint64);

    for (const auto size : { payload + 1, payload + 8, (uint64) bypassed.size(), (uint64) 1 << 31, (uint64) 1 << 32,
                             (uint64) -1, (uint64) -8, ((uint64) 1 << 63) + payload })
    {
        plugin.setState (withSizeField (bypassed, size));
        EXPECT_EQ (plugin.getState(), active) << "size field " << size;
    }

    // The marker and its size field alone, with no room for the leading word.
    std::vector<char> bare (sizeof (uint64), 0);
    bare.insert (bare.end(), marker.begin(), marker.end());
    plugin.setState (bare);
    EXPECT_EQ (plugin.getState(), active);

    expectPassThrough();
}

TEST_F (StateTest, PrivateBlockWhoseCountsRunPastItsDataIsReadNoFurther)
{
    // A private block of the right size whose value tree claims about 2^31 properties, array
    // elements or children: reading must stop where the data ends instead of looping or
    // reserving memory for counts that the data cannot hold.
    const auto active = plugin.getState();
    const std::string type ("P\0", 2), propertyName ("X\0", 2);
    const std::string noProperties (1, '\0'), oneProperty ("\x01\x01", 2), arrayOfSevenBytes ("\x01\x07\x07", 3);
    const std::string hugeCount ("\x04\xff\xff\xff\x7f", 5);

    for (const auto& tree : { type + hugeCount,                                                 // properties
                              type + oneProperty + propertyName + arrayOfSevenBytes + hugeCount, // array elements
                              type + noProperties + hugeCount })                                // children
    {
        std::vector<char> state (sizeof (uint64), 0);
        state.insert (state.end(), tree.begin(), tree.end());
        state.resize (state.size() + sizeof (uint64));
        state.insert (state.end(), marker.begin(), marker.end());

        plugin.setState (withSizeField (state, tree.size()));
        EXPECT_EQ (plugin.getState(), active);
    }

    expectPassThrough();
}

TEST_F (StateTest, MalformedStatesNeitherCrashNorChangeAnything)
{
    processWithBypass (true, makeLoudBlock (2, 64));
    const auto saved = plugin.getState();
    std::mt19937 random (12345);
    const auto randomBytes = [&] (size_t size)
    {
        std::vector<char> bytes (size);

        for (auto& byte : bytes)
            byte = (char) random();

        return bytes;
    };

    auto controllerStream = owned (new MemoryStream);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (2);

    for (int iteration = 0; iteration < 3000 && std::chrono::steady_clock::now() < deadline; ++iteration)
    {
        std::vector<char> data;

        switch (iteration % 4)
        {
            case 0:   data = randomBytes (random() % 300); break;
            case 1:   data.assign (saved.begin(), saved.begin() + (ptrdiff_t) (random() % saved.size())); break;
            case 2:   data = randomBytes (random() % 40);
                      data.insert (data.end(), marker.begin(), marker.end()); break;
            default:  // A size field that cannot fit, behind random bytes of any length.
                      data = randomBytes (random() % 64);
                      data.insert (data.end(), saved.begin(), saved.end());
                      data = withSizeField (data, data.size() + (uint64) random());
                      break;
        }

        plugin.setState (data);
        ASSERT_EQ (plugin.getState(), saved) << "iteration " << iteration;

        auto stream = owned (new MemoryStream (data));
        plugin.getController().setComponentState (stream);
    }

    expectPassThrough();
}

TEST_F (StateTest, ReactivatingAtAnotherRateAndBlockSizeKeepsPassingAudioAndTheState)
{
    processWithBypass (false, makeLoudBlock (2, 100));
    const auto before = plugin.getState();

    ASSERT_TRUE (plugin.prepare (96000.0, 1024));
    const auto input = makeHostileBlock (2, 1024, 3);
    Block output;
    ASSERT_EQ (plugin.process (input, output), kResultOk);
    EXPECT_TRUE (bitIdentical (input, output));
    EXPECT_EQ (plugin.getState(), before);
}
