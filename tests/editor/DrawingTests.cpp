#include "PluginEditor.h"
#include "helpers/ProcessorDriver.h"
#include "helpers/RecordingGraphicsContext.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace
{
// Triggers a new processor with a one-sample block, then appends one point per pair of
// values: each 8-sample block holds exactly one wrap of the decimation phase, and the
// running maxima restart with each block, so every point is the value of its block.
void capturePoints (ProcessorDriver& d, const std::vector<float>& first, const std::vector<float>& second)
{
    d.process ({ 0.9f });

    for (size_t i = 0; i < first.size(); ++i)
        d.process (std::vector<float> (8, first[i]), std::vector<float> (8, second[i]));
}

std::vector<std::string> recordPaint (QuillornAudioProcessorEditor& editor,
                                      std::vector<RecordingGraphicsContext::Text>* texts = nullptr)
{
    RecordingGraphicsContext context (editor.getLocalBounds());
    juce::Graphics g (context);
    editor.paint (g);

    if (texts != nullptr)
        *texts = context.texts;

    return context.calls;
}

// What a 1600 x 800 editor draws before its traces, given the hold count's text.
std::vector<std::string> frameCalls (const std::string& holdText)
{
    return { "colour fff5f5f5",
             "fillAll fff5f5f5",
             "colour ff000000",
             "font 20",
             "text ff000000 20 Helvorant - Quillorn",
             "text ff000000 20 " + holdText,
             "colour fff0f0f0",
             "fillRect fff0f0f0 24 24 1552 752",
             "colour ff000000",
             "drawRect ff000000 24 24 1552 752 3",
             "line ff000000 24 359 1576 359 1" };
}

// The whole paint of a 1600 x 800 editor, given the hold count's text and the y at
// which each point of the two traces must lie.
std::vector<std::string> expectedCalls (const std::string& holdText,
                                        const std::vector<int>& redYs,
                                        const std::vector<int>& blueYs)
{
    auto calls = frameCalls (holdText);

    for (size_t i = 0; i + 1 < redYs.size(); ++i)
    {
        const auto segment = [i] (const std::string& colour, int yStart, int yEnd)
        {
            return "line " + colour + " " + std::to_string (45 + i) + " " + std::to_string (yStart)
                   + " " + std::to_string (46 + i) + " " + std::to_string (yEnd) + " 2";
        };

        calls.push_back ("colour ffff0000");
        calls.push_back (segment ("ffff0000", redYs[i], redYs[i + 1]));
        calls.push_back ("colour ff0000ff");
        calls.push_back (segment ("ff0000ff", blueYs[i], blueYs[i + 1]));
    }

    return calls;
}

void expectCalls (const std::vector<std::string>& calls, const std::vector<std::string>& expected)
{
    for (size_t i = 0; i < std::min (calls.size(), expected.size()); ++i)
        ASSERT_EQ (calls[i], expected[i]) << "call " << i;

    EXPECT_EQ (calls.size(), expected.size());
}

//==============================================================================
struct DrawingCase
{
    std::string name;
    std::function<void (ProcessorDriver&)> capture;
    std::string holdText;
    std::vector<int> redYs, blueYs;
};

void PrintTo (const DrawingCase& c, std::ostream* os)  { *os << c.name; }

class Drawing : public testing::TestWithParam<DrawingCase> {};

TEST_P (Drawing, DrawsTheFrameThenARedAndABlueSegmentPerNeighbouringPair)
{
    ProcessorDriver d;
    GetParam().capture (d);
    QuillornAudioProcessorEditor editor (d.processor);

    expectCalls (recordPaint (editor), expectedCalls (GetParam().holdText, GetParam().redYs, GetParam().blueYs));
}

// The processor keeps both traces equally long, so the fallback to 0.0 for a missing
// channel-1 point cannot be reached through it, nor can a longer channel-1 trace; what
// it can show is a mono layout, whose channel-1 points are 0.0 and lie at y 1000.
INSTANTIATE_TEST_SUITE_P (Captures, Drawing, testing::Values (
    DrawingCase { "BothTracesEmpty", [] (ProcessorDriver&) {}, "0", {}, {} },
    DrawingCase { "TriggeredWithoutPoints", [] (ProcessorDriver& d) { d.process ({ 0.9f }); }, "30000", {}, {} },
    DrawingCase { "OnePoint", [] (ProcessorDriver& d) { capturePoints (d, { 0.5f }, { 1.0f }); }, "29992", { 600 }, { 200 } },
    DrawingCase { "TwoPoints", [] (ProcessorDriver& d) { capturePoints (d, { 0.25f, 0.5f }, { 1.0f, 0.8f }); },
                  "29984", { 800, 600 }, { 200, 360 } },
    DrawingCase { "PointValuesAtTheirHeights",
                  [] (ProcessorDriver& d)
                  {
                      capturePoints (d, { 0.0f, 0.25f, 0.8f, 1.0f, 1.25f }, { 1.25f, 1.0f, 0.8f, 0.25f, 0.0f });
                  },
                  "29960", { 1000, 800, 360, 200, 0 }, { 0, 200, 360, 800, 1000 } },
    DrawingCase { "FullCaptureAfterTheHold",
                  [] (ProcessorDriver& d) { d.process ({ 0.9f }); d.processConstant (30000, 0.5f, 1.0f); },
                  "0", std::vector<int> (1500, 600), std::vector<int> (1500, 200) },
    DrawingCase { "MonoLayout",
                  [] (ProcessorDriver& d) { d.processMono ({ 0.9f }); d.processMono (std::vector<float> (24, 0.5f)); },
                  "29976", { 600, 600, 600 }, { 1000, 1000, 1000 } }),
    [] (const testing::TestParamInfo<DrawingCase>& param) { return param.param.name; });

//==============================================================================
TEST (Drawing, SegmentsTowardsFarOffPointsRiseStraightUpFromTheirOtherEnd)
{
    // Up to 2^24 pixels above the window a segment keeps the y that its point gives;
    // beyond, and for an infinite point, it is drawn as its limit, from its other end
    // to 2 pixels above the window or above that end; between two such points nothing.
    constexpr auto inf = std::numeric_limits<float>::infinity();
    constexpr auto largest = std::numeric_limits<float>::max();
    ProcessorDriver d;
    capturePoints (d, { 0.5f, inf, inf, 0.5f, 1.0e7f, 20000.0f, 2.0f, largest },
                      { largest, 1.0f, 3.0e6f, 3.0e6f, 0.0f, inf, 0.5f, 0.5f });
    QuillornAudioProcessorEditor editor (d.processor);

    auto expected = frameCalls ("29936");
    const auto red = "colour ffff0000", blue = "colour ff0000ff";
    expected.insert (expected.end(), {
        red,  "line ffff0000 45 600 45 -2 2",
        blue, "line ff0000ff 46 -2 46 200 2",
        red,
        blue, "line ff0000ff 46 200 46 -2 2",
        red,  "line ffff0000 48 -2 48 600 2",
        blue,
        red,  "line ffff0000 48 600 48 -2 2",
        blue, "line ff0000ff 49 -2 49 1000 2",
        red,  "line ffff0000 50 -15999002 50 -15999000 2",
        blue, "line ff0000ff 49 1000 49 -2 2",
        red,  "line ffff0000 50 -15999000 51 -600 2",
        blue, "line ff0000ff 51 -2 51 600 2",
        red,  "line ffff0000 51 -600 51 -602 2",
        blue, "line ff0000ff 51 600 52 600 2" });

    expectCalls (recordPaint (editor), expected);
}

TEST (Drawing, EachPaintShowsTheCaptureOfItsMoment)
{
    ProcessorDriver d;
    QuillornAudioProcessorEditor editor (d.processor);
    d.process ({ 0.9f });
    d.processConstant (30000, 0.5f, 1.0f);
    expectCalls (recordPaint (editor), expectedCalls ("0", std::vector<int> (1500, 600), std::vector<int> (1500, 200)));

    // A new trigger empties the traces: the next paint draws no segment.
    d.process ({ 0.9f });
    expectCalls (recordPaint (editor), expectedCalls ("30000", {}, {}));
}

TEST (Drawing, TitleIsCentredAtTheTopAndTheHoldCountAtTheTopRight)
{
    ProcessorDriver d;
    d.process ({ 0.9f });
    QuillornAudioProcessorEditor editor (d.processor);

    std::vector<RecordingGraphicsContext::Text> texts;
    recordPaint (editor, &texts);
    ASSERT_EQ (texts.size(), 2u);

    const auto expectLaidOut = [] (const RecordingGraphicsContext::Text& text, juce::Justification justification)
    {
        juce::GlyphArrangement layout;
        layout.addFittedText (text.font, text.characters, 0.0f, 0.0f, 1600.0f, 800.0f, justification, 1, 0.0f);
        EXPECT_EQ ((size_t) layout.getNumGlyphs(), text.positions.size());

        for (int i = 0; i < juce::jmin (layout.getNumGlyphs(), (int) text.positions.size()); ++i)
        {
            EXPECT_EQ (text.positions[(size_t) i].x, layout.getGlyph (i).getLeft()) << text.characters << " glyph " << i;
            EXPECT_EQ (text.positions[(size_t) i].y, layout.getGlyph (i).getBaselineY()) << text.characters << " glyph " << i;
        }
    };

    // Where paint put a text: from its first glyph to the end of its last glyph's advance,
    // on the baseline of its first glyph.
    struct Extent { float left, right, baseline; };

    const auto drawnExtent = [] (const RecordingGraphicsContext::Text& text)
    {
        const auto first = text.positions.front(), last = text.positions.back();
        const auto lastAdvance = juce::GlyphArrangement::getStringWidth (text.font, juce::String::charToString (text.characters.getLastCharacter()));
        return Extent { first.x, last.x + lastAdvance, first.y };
    };

    EXPECT_EQ (texts[0].font.getHeight(), 20.0f);
    ASSERT_EQ (texts[0].characters, "Helvorant - Quillorn");
    ASSERT_EQ (texts[1].characters, "30000");

    expectLaidOut (texts[0], juce::Justification::centredTop);
    const auto title = drawnExtent (texts[0]);
    EXPECT_NEAR ((title.left + title.right) / 2.0f, 800.0f, 1.0f);
    EXPECT_NEAR (title.baseline, texts[0].font.getAscent(), 1.0f) << "the title's top is not at the window's";

    expectLaidOut (texts[1], juce::Justification::topRight);
    const auto holdCount = drawnExtent (texts[1]);
    EXPECT_NEAR (holdCount.right, 1600.0f, 1.0f);
    EXPECT_NEAR (holdCount.baseline, texts[1].font.getAscent(), 1.0f) << "the hold count's top is not at the window's";
}
} // namespace
