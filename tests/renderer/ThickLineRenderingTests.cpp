#include "helpers/Images.h"

#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

namespace
{
/** Records every call that EdgeTable::iterate() makes, in order. */
struct RecordingCallback
{
    std::vector<int> calls;

    void setEdgeTableYPos (int y)                              { calls.insert (calls.end(), { 0, y }); }
    void handleEdgeTablePixel (int x, int level)               { calls.insert (calls.end(), { 1, x, level }); }
    void handleEdgeTablePixelFull (int x)                      { calls.insert (calls.end(), { 2, x }); }
    void handleEdgeTableLine (int x, int width, int level)     { calls.insert (calls.end(), { 3, x, width, level }); }
    void handleEdgeTableLineFull (int x, int width)            { calls.insert (calls.end(), { 4, x, width }); }
};

template <typename Iterable>
std::vector<int> recordIteration (const Iterable& iterable)
{
    RecordingCallback callback;
    iterable.iterate (callback);
    return callback.calls;
}

float uniform (std::mt19937& random, float low, float high)
{
    return std::uniform_real_distribution<float> (low, high) (random);
}

/** A segment anywhere around a clip of 80 x 60 at (8, 6), often reaching beyond it on
    any side, of any length and direction; one in eight is exactly vertical or horizontal.
*/
juce::Line<float> randomSegment (std::mt19937& random)
{
    const juce::Point<float> start { uniform (random, -60.0f, 150.0f), uniform (random, -60.0f, 130.0f) };
    const auto length = std::exponential_distribution<float> (1.0f / 30.0f) (random);
    auto angle = uniform (random, -juce::MathConstants<float>::pi, juce::MathConstants<float>::pi);

    if (random() % 8 == 0)
        angle = juce::MathConstants<float>::halfPi * (float) (random() % 4);

    return { start, start + juce::Point<float> (std::cos (angle), std::sin (angle)) * length };
}

float randomThickness (std::mt19937& random)
{
    static constexpr float thicknesses[] { 0.3f, 1.0f, 1.5f, 2.0f, 3.7f, 12.0f };
    return thicknesses[random() % std::size (thicknesses)];
}

juce::Path segmentPath (juce::Line<float> line, float thickness)
{
    juce::Path path;
    path.addLineSegment (line, thickness);
    return path;
}

//==============================================================================
TEST (PathScanner, CallsBackExactlyAsAnEdgeTableOfThePath)
{
    std::mt19937 random (1);
    const juce::Rectangle<int> clip (8, 6, 80, 60);
    auto usable = 0;

    for (int i = 0; i < 20000; ++i)
    {
        auto path = segmentPath (randomSegment (random), randomThickness (random));
        path.setUsingNonZeroWinding (i % 3 != 0);
        const auto transform = i % 5 == 0 ? juce::AffineTransform::scale (1.5f).translated (-3.25f, 2.5f)
                                          : juce::AffineTransform();

        const juce::EdgeTable::PathScanner scanner (clip, path, transform);

        if (! scanner.isUsable())
            continue;

        ++usable;
        ASSERT_EQ (recordIteration (scanner), recordIteration (juce::EdgeTable (clip, path, transform)))
            << "segment " << i << ": " << path.toString();
    }

    // Only shallow, thick lines should need a table.
    EXPECT_GT (usable, 15000);
}

TEST (PathScanner, IsNotUsableForEdgesShallowerThanARowHolds)
{
    // A nearly horizontal line puts hundreds of points into each of its rows.
    EXPECT_FALSE (juce::EdgeTable::PathScanner ({ 0, 0, 400, 100 }, segmentPath ({ 0.0f, 10.0f, 400.0f, 12.0f }, 4.0f), {}).isUsable());
    EXPECT_TRUE (juce::EdgeTable::PathScanner ({ 0, 0, 400, 100 }, segmentPath ({ 10.0f, 0.0f, 12.0f, 100.0f }, 4.0f), {}).isUsable());

    juce::Path star;
    star.addStar ({ 50.0f, 50.0f }, 6, 10.0f, 40.0f);
    EXPECT_FALSE (juce::EdgeTable::PathScanner ({ 0, 0, 100, 100 }, star, {}).isUsable()) << "more edges than it keeps";
}

//==============================================================================
TEST (SolidColourSpans, BlendExactlyAsIteratingTheirLine)
{
    using Filler = juce::RenderingHelpers::EdgeTableFillers::SolidColour<juce::PixelARGB, false>;
    constexpr int width = 12, height = 3;
    std::mt19937 random (3);
    juce::Image spans (juce::Image::ARGB, width, height, false), lines (juce::Image::ARGB, width, height, false);
    auto handled = 0;

    for (int i = 0; i < 20000; ++i)
    {
        // Any bytes at all below, premultiplied or not, and any colour above.
        const auto seed = random();

        for (auto* image : { &spans, &lines })
        {
            const juce::Image::BitmapData data (*image, juce::Image::BitmapData::writeOnly);
            std::mt19937 same (seed);

            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width * 4; ++x)
                    data.getLinePointer (y)[x] = (juce::uint8) same();
        }

        const auto colour = juce::Colour ((juce::uint32) random()).getPixelARGB();
        const auto y = (int) (random() % height);
        const auto x1 = (int) (random() % (width * 256 - 1));
        const auto x2 = x1 + 1 + (int) (random() % (juce::uint32) juce::jmin (5 * 256, width * 256 - 1 - x1));

        // The line that the span stands for: a rectangle one row high, from x1 to x2.
        const juce::EdgeTable line (juce::Rectangle<float> ((float) x1 / 256.0f, (float) y, (float) (x2 - x1) / 256.0f, 1.0f));

        {
            const juce::Image::BitmapData data (spans, juce::Image::BitmapData::readWrite);
            Filler filler (data, colour);

            if (filler.handleEdgeTableSpan (y, x1, x2))
                ++handled;
            else
                line.iterate (filler);
        }

        {
            const juce::Image::BitmapData data (lines, juce::Image::BitmapData::readWrite);
            Filler filler (data, colour);
            line.iterate (filler);
        }

        const auto difference = compareBytes (spans, lines);
        ASSERT_EQ (difference.numPixels, 0) << "span " << i << " from " << x1 << " to " << x2 << " in row " << y
                                            << " differs first at " << difference.first.toString();
    }

    // Spans over four pixels, or reaching the image's last three pixels, are left to the line.
    EXPECT_GT (handled, 8000);
}

//==============================================================================
/** Two identical images, one drawn with Graphics::drawLine() and one with the path that
    the line stands for, through Graphics::fillPath().
*/
struct LinePair
{
    LinePair (juce::Image::PixelFormat format, const juce::AffineTransform& t)
        : lines (format, 96, 72, true), paths (lines.createCopy()), transform (t) {}

    void draw (juce::Line<float> line, float thickness, juce::Colour colour)
    {
        const auto drawWith = [&] (juce::Image& image, auto&& drawing)
        {
            juce::Graphics g (image);
            g.reduceClipRegion (8, 6, 80, 60);
            g.addTransform (transform);
            g.setColour (colour);
            drawing (g);
        };

        drawWith (lines, [&] (juce::Graphics& g) { g.drawLine (line, thickness); });
        drawWith (paths, [&] (juce::Graphics& g) { g.fillPath (segmentPath (line, thickness)); });
    }

    juce::Image lines, paths;
    juce::AffineTransform transform;
};

testing::AssertionResult identical (const juce::Image& lines, const juce::Image& paths)
{
    const auto difference = compareBytes (lines, paths);

    if (difference.numPixels == 0)
        return testing::AssertionSuccess();

    const auto [x, y] = difference.first;
    return testing::AssertionFailure() << difference.numPixels << " pixels differ, first (" << x << ", " << y << "): "
                                       << lines.getPixelAt (x, y).toString() << " drawn as a line, "
                                       << paths.getPixelAt (x, y).toString() << " as a path";
}

struct LineCase
{
    const char* name;
    juce::Image::PixelFormat format;
    juce::AffineTransform transform;
};

void PrintTo (const LineCase& c, std::ostream* os)  { *os << c.name; }

class ThickLines : public testing::TestWithParam<LineCase> {};

TEST_P (ThickLines, DrawExactlyAsThePathsTheyStandFor)
{
    std::mt19937 random (2);
    LinePair pair (GetParam().format, GetParam().transform);

    for (int i = 0; i < 3000; ++i)
    {
        const auto line = randomSegment (random);
        const auto thickness = randomThickness (random);

        // Opaque and translucent colours, drawn over what the segments before left.
        const auto colour = juce::Colour ((juce::uint32) random()).withAlpha (i % 2 == 0 ? 1.0f : uniform (random, 0.0f, 1.0f));

        pair.draw (line, thickness, colour);
        ASSERT_TRUE (identical (pair.lines, pair.paths)) << "segment " << i << " from " << line.getStart().toString()
                                                          << " to " << line.getEnd().toString() << ", " << thickness << " thick";
    }
}

INSTANTIATE_TEST_SUITE_P (Targets, ThickLines, testing::Values (
    LineCase { "ARGB", juce::Image::ARGB, {} },
    LineCase { "RGB", juce::Image::RGB, {} },
    LineCase { "SingleChannel", juce::Image::SingleChannel, {} },
    LineCase { "ARGBTranslated", juce::Image::ARGB, juce::AffineTransform::translation (3.0f, -2.0f) },
    LineCase { "ARGBScaled", juce::Image::ARGB, juce::AffineTransform::scale (1.25f, 2.0f) },
    LineCase { "ARGBRotated", juce::Image::ARGB, juce::AffineTransform::rotation (0.3f, 48.0f, 36.0f) }),
    [] (const testing::TestParamInfo<LineCase>& param) { return std::string (param.param.name); });

//==============================================================================
/** A line of /proc/self/status, in KiB. */
long statusKiB (const std::string& name)
{
    std::ifstream status ("/proc/self/status");

    for (std::string line; std::getline (status, line);)
        if (line.rfind (name + ":", 0) == 0)
            return std::stol (line.substr (name.size() + 1));

    return -1;
}

/** The peak of the process's resident memory while something is drawn, beyond what it
    held before: what a renderer's working storage costs once written to.
*/
template <typename Drawing>
long peakMemoryGrowthInKiB (Drawing&& drawing)
{
    // Writing 5 resets the peak to what is resident now.
    std::ofstream ("/proc/self/clear_refs") << "5";
    const auto before = statusKiB ("VmHWM");
    EXPECT_LT (before - statusKiB ("VmRSS"), 1024) << "the peak of resident memory was not reset";

    drawing();
    return statusKiB ("VmHWM") - before;
}

// An image of a million rows of two pixels, all of them written to before anything is
// measured: an edge table of all its rows would hold over a hundred megabytes.
struct TallImage : testing::Test
{
    TallImage()  { image.clear (image.getBounds(), juce::Colours::white); }

    juce::Image image { juce::Image::ARGB, 2, 1000000, false };
};

TEST_F (TallImage, AShortFilledPathCostsNoTableForRowsItDoesNotReach)
{
    juce::Graphics g (image);
    g.setColour (juce::Colours::red);
    juce::Path triangle;
    triangle.addTriangle (0.0f, 500000.0f, 2.0f, 500000.0f, 1.0f, 500004.0f);

    EXPECT_LT (peakMemoryGrowthInKiB ([&] { g.fillPath (triangle); }), 4096);
    EXPECT_EQ (image.getPixelAt (1, 500001).getRed(), 255);
}

TEST_F (TallImage, ASteepThickLineCostsNoTableForItsRows)
{
    juce::Graphics g (image);
    g.setColour (juce::Colours::red);

    EXPECT_LT (peakMemoryGrowthInKiB ([&] { g.drawLine (1.0f, 0.0f, 1.0f, 1000000.0f, 2.0f); }), 4096);
    EXPECT_EQ (image.getPixelAt (0, 123456).getRed(), 255);
    EXPECT_EQ (image.getPixelAt (1, 987654).getRed(), 255);
}
} // namespace
