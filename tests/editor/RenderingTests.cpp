#include "PluginEditor.h"
#include "helpers/Images.h"
#include "helpers/PeerRenderer.h"
#include "helpers/ProcessorDriver.h"

#include <gtest/gtest.h>

#include <iostream>
#include <limits>

namespace
{
constexpr auto background = 0xfff5f5f5;
constexpr auto frameFill = 0xfff0f0f0;
constexpr auto black = 0xff000000;

// Anti-aliasing blends a line's edges with what lies below; the pixel nearest its
// centre is still clearly of the line's colour.
bool isRed (juce::Colour c)   { return c.getRed() > c.getGreen() + 64 && c.getRed() > c.getBlue() + 64; }
bool isBlue (juce::Colour c)  { return c.getBlue() > c.getRed() + 64 && c.getBlue() > c.getGreen() + 64; }
bool isDark (juce::Colour c)  { return c.getBrightness() < 0.5f; }

/** The editor rendered once, as the window's peer paints it, after a capture of 1500
    points: 750 with channel 0 at 0.5 (y 600) and channel 1 at 1.0 (y 200), then 750 with
    both at 0.75 (y 400), where the blue trace, drawn after the red one, covers it. The
    render is saved for inspection.
*/
class Rendering : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ProcessorDriver d;
        d.process ({ 0.9f });
        d.processConstant (5999, 0.5f, 1.0f);
        d.processConstant (6000, 0.75f, 0.75f);

        QuillornAudioProcessorEditor editor (d.processor);
        PeerRenderer renderer (editor);
        image = renderer.paint().createCopy();

        if (! saveAsPng (image, juce::File (QUILLORN_EDITOR_RENDER_PNG)))
            std::cerr << "could not save the render as " << QUILLORN_EDITOR_RENDER_PNG << std::endl;
    }

    // Released while JUCE still runs, before its leak detectors count.
    static void TearDownTestSuite()  { image = {}; }

    static juce::uint32 pixel (int x, int y)  { return image.getPixelAt (x, y).getARGB(); }

    static int countPixels (juce::Rectangle<int> area, bool (*matches) (juce::Colour))
    {
        auto count = 0;

        for (auto y = area.getY(); y < area.getBottom(); ++y)
            for (auto x = area.getX(); x < area.getRight(); ++x)
                count += matches (image.getPixelAt (x, y)) ? 1 : 0;

        return count;
    }

    static juce::Image image;
};

juce::Image Rendering::image;

TEST_F (Rendering, BackgroundFrameAndOutline)
{
    for (auto [x, y] : { std::pair (5, 5), std::pair (5, 400), std::pair (1595, 400), std::pair (800, 790) })
        EXPECT_EQ (pixel (x, y), background) << x << ", " << y;

    for (auto [x, y] : { std::pair (30, 100), std::pair (800, 700), std::pair (1570, 770) })
        EXPECT_EQ (pixel (x, y), frameFill) << x << ", " << y;

    // The 3-pixel outline lies inside the rectangle (24, 24, 1552, 752).
    for (auto i : { 24, 25, 26 })
    {
        EXPECT_EQ (pixel (i, 500), black) << "left column " << i;
        EXPECT_EQ (pixel (1599 - i, 500), black) << "right column " << 1599 - i;
        EXPECT_EQ (pixel (300, i), black) << "top row " << i;
        EXPECT_EQ (pixel (300, 799 - i), black) << "bottom row " << 799 - i;
    }

    EXPECT_EQ (pixel (23, 500), background);
    EXPECT_EQ (pixel (27, 500), frameFill);
    EXPECT_EQ (pixel (1576, 500), background);
    EXPECT_EQ (pixel (1572, 500), frameFill);
    EXPECT_EQ (pixel (300, 23), background);
    EXPECT_EQ (pixel (300, 27), frameFill);
    EXPECT_EQ (pixel (300, 776), background);
    EXPECT_EQ (pixel (300, 772), frameFill);
}

TEST_F (Rendering, ThresholdLineIsCentredOnRow359)
{
    // A 1-pixel line centred on y 359 covers half of row 358 and half of row 359.
    for (auto x : { 30, 300, 1570 })
    {
        const auto above = image.getPixelAt (x, 358), on = image.getPixelAt (x, 359);
        EXPECT_TRUE (above.getBrightness() < 0.75f && above.getBrightness() > 0.25f) << x;
        EXPECT_NEAR (above.getBrightness(), on.getBrightness(), 0.02f) << x;
        EXPECT_EQ (pixel (x, 357), frameFill) << x;
        EXPECT_EQ (pixel (x, 360), frameFill) << x;
    }
}

TEST_F (Rendering, TracesLieWhereTheirPointsPutThem)
{
    for (auto x : { 45, 100, 400, 793 })
    {
        for (auto y : { 599, 600 })
            EXPECT_TRUE (isRed (image.getPixelAt (x, y))) << x << ", " << y;

        for (auto y : { 199, 200 })
            EXPECT_TRUE (isBlue (image.getPixelAt (x, y))) << x << ", " << y;
    }

    // Both traces at y 400: the blue segment of each pair is drawn over the red one.
    for (auto x : { 800, 1200, 1543 })
    {
        for (auto y : { 399, 400 })
            EXPECT_TRUE (isBlue (image.getPixelAt (x, y))) << x << ", " << y;

        EXPECT_EQ (countPixels ({ x, 390, 1, 20 }, isRed), 0) << x;
    }

    // Segment 749 joins point 749 to point 750, from x 794 to x 795.
    EXPECT_TRUE (isRed (image.getPixelAt (794, 500)));
    EXPECT_TRUE (isBlue (image.getPixelAt (794, 300)));

    // The traces run from x 45 to x 1544.
    EXPECT_EQ (pixel (44, 600), frameFill);
    EXPECT_EQ (pixel (1544, 400), frameFill);
}

TEST_F (Rendering, NoTracePixelLiesOutsideTheSegmentsReach)
{
    const auto trace = [] (juce::Colour c) { return isRed (c) || isBlue (c); };

    EXPECT_EQ (countPixels ({ 1547, 0, 53, 800 }, trace), 0);
    EXPECT_EQ (countPixels ({ 0, 0, 44, 800 }, trace), 0);
}

TEST_F (Rendering, TitleAtTheTopCentreAndHoldCountAtTheTopRight)
{
    EXPECT_GT (countPixels ({ 700, 0, 200, 24 }, isDark), 20);
    EXPECT_GT (countPixels ({ 1520, 0, 80, 24 }, isDark), 20);
    EXPECT_EQ (countPixels ({ 50, 0, 550, 24 }, isDark), 0);
    EXPECT_EQ (countPixels ({ 950, 0, 500, 24 }, isDark), 0);
}

/** A capture of channel 0 at 0.5 with an infinite point at every hundredth index from
    50, and channel 1 silent, below the window.
*/
TEST (FarOffPoints, AreReachedByVerticalSegmentsUpToTheWindowsTop)
{
    ProcessorDriver d;
    d.process ({ 0.9f });

    for (int k = 0; k < 1500; ++k)
        d.process (std::vector<float> (8, k % 100 == 50 ? std::numeric_limits<float>::infinity() : 0.5f));

    QuillornAudioProcessorEditor editor (d.processor);
    PeerRenderer renderer (editor);
    const auto& image = renderer.paint();

    // Segments k - 1 and k rise straight up at x 44 + k and x 46 + k, 2 pixels thick;
    // the flat trace at y 600 lies below the rows looked at.
    for (int k = 50; k < 1500; k += 100)
    {
        for (auto y : { 0, 1, 100, 359, 590 })
            for (auto x = 43 + k; x <= 46 + k; ++x)
                EXPECT_TRUE (isRed (image.getPixelAt (x, y))) << x << ", " << y;

        EXPECT_EQ (image.getPixelAt (42 + k, 300).getARGB(), frameFill) << "left of point " << k;
        EXPECT_EQ (image.getPixelAt (47 + k, 300).getARGB(), frameFill) << "right of point " << k;
    }
}

} // namespace
