#include "EditorWindow.h"
#include "Vst3Host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

using namespace Steinberg;

namespace
{
using PixelTest = std::function<bool (std::uint32_t)>;

int red (std::uint32_t rgb)    { return (int) (rgb >> 16) & 0xff; }
int green (std::uint32_t rgb)  { return (int) (rgb >> 8) & 0xff; }
int blue (std::uint32_t rgb)   { return (int) rgb & 0xff; }

// Edges are anti-aliased (the 1-pixel threshold line at y 359 covers half of rows 358 and
// 359, a mid grey), so a colour is judged by which channels dominate.
bool isRed (std::uint32_t rgb)    { return red (rgb) > 0xc0 && green (rgb) < 0x60 && blue (rgb) < 0x60; }
bool isBlue (std::uint32_t rgb)   { return blue (rgb) > 0xc0 && red (rgb) < 0x60 && green (rgb) < 0x60; }
bool isDark (std::uint32_t rgb)   { return red (rgb) < 0xa0 && green (rgb) < 0xa0 && blue (rgb) < 0xa0; }

/** Whether a pixel passing the test lies in column x within `radius` rows of y. */
bool foundNear (const Screenshot& shot, int x, int y, int radius, const PixelTest& test)
{
    for (int row = std::max (0, y - radius); row <= std::min (shot.height - 1, y + radius); ++row)
        if (test (shot.at (x, row)))
            return true;

    return false;
}

/** Whether any pixel of the area passes the test. */
bool foundIn (const Screenshot& shot, int left, int top, int right, int bottom, const PixelTest& test)
{
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (test (shot.at (x, y)))
                return true;

    return false;
}

constexpr std::uint32_t background = 0xf5f5f5;
constexpr std::uint32_t frameFill = 0xf0f0f0;

// A capture of two plateaus: channel 0 at 0.9 and channel 1 at 0.5 from the first sample,
// which triggers, on through the 12000 samples of the capture window (24 blocks of 512),
// so each trace holds 1500 equal points.
constexpr int blockSize = 512;
constexpr int numBlocks = 24;
constexpr float firstLevel = 0.9f;
constexpr float secondLevel = 0.5f;

// y = 200 + (1 - v) * 800, and the 1499 segments run from x 45 to x 1544.
constexpr int firstTraceY = 280;
constexpr int secondTraceY = 600;
constexpr int tracesStartX = 45;
constexpr int tracesEndX = 1544;
constexpr int thresholdY = 359;
} // namespace

//==============================================================================
class EditorWindowTest : public ::testing::Test
{
protected:
    void feedCapture()
    {
        ASSERT_TRUE (plugin.prepare (48000.0, blockSize));

        const std::vector<std::vector<float>> input { std::vector<float> (blockSize, firstLevel),
                                                      std::vector<float> (blockSize, secondLevel) };
        std::vector<std::vector<float>> output;

        for (int i = 0; i < numBlocks; ++i)
            ASSERT_EQ (plugin.process (input, output), kResultOk);
    }

    /** Pumps the run loop until the editor has painted over the window's black, then a
        few refresh periods more. */
    Screenshot waitForPaint (EditorWindow& window)
    {
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            runLoop.runFor (std::chrono::milliseconds (50));

            if (const auto shot = window.takeScreenshot(); ! shot.pixels.empty() && shot.at (0, 0) != 0)
                break;
        }

        runLoop.runFor (std::chrono::milliseconds (300));
        return window.takeScreenshot();
    }

    // Declared first so that it outlives the plug-in, which holds it while its view is open.
    HostRunLoop runLoop;
    quillorn::host::Vst3Module module;
    quillorn::host::Vst3Plugin plugin { module };
};

TEST_F (EditorWindowTest, DrawsACaptureIntoTheHostWindow)
{
    ASSERT_NO_FATAL_FAILURE (feedCapture());

    EditorWindow window (plugin.getController(), runLoop);
    ASSERT_EQ (window.getFailure(), "");

    ViewRect size;
    ASSERT_EQ (window.getView().getSize (&size), kResultTrue);
    EXPECT_EQ (size.getWidth(), 1600);
    EXPECT_EQ (size.getHeight(), 800);
    EXPECT_EQ (window.getView().canResize(), kResultFalse);

    const auto shot = waitForPaint (window);
    ASSERT_EQ (shot.width, 1600);
    ASSERT_EQ (shot.height, 800);

    std::filesystem::create_directories (QUILLORN_ARTEFACTS_DIR);
    EXPECT_TRUE (shot.writePng (QUILLORN_ARTEFACTS_DIR "/editor-window.png"));

    EXPECT_EQ (shot.at (2, 2), background);
    EXPECT_EQ (shot.at (1597, 797), background);
    EXPECT_EQ (shot.at (100, 100), frameFill);
    EXPECT_EQ (shot.at (1560, 700), frameFill);

    EXPECT_TRUE (foundIn (shot, 700, 0, 900, 24, isDark)) << "no title";
    EXPECT_TRUE (foundIn (shot, 1500, 0, 1600, 24, isDark)) << "no hold count";
    EXPECT_TRUE (isDark (shot.at (25, 500))) << "no frame outline";

    for (int x = 60; x < 1560; x += 50)
        EXPECT_TRUE (foundNear (shot, x, thresholdY, 1, isDark)) << "threshold line missing at x " << x;

    for (int x = tracesStartX + 1; x < tracesEndX; x += 37)
    {
        EXPECT_TRUE (foundNear (shot, x, firstTraceY, 2, isRed)) << "red trace missing at x " << x;
        EXPECT_TRUE (foundNear (shot, x, secondTraceY, 2, isBlue)) << "blue trace missing at x " << x;
        EXPECT_FALSE (foundNear (shot, x, secondTraceY, 2, isRed)) << "red at the blue trace at x " << x;
    }

    EXPECT_TRUE (foundNear (shot, tracesEndX - 1, firstTraceY, 2, isRed));
    EXPECT_FALSE (foundIn (shot, tracesEndX + 2, 0, shot.width, shot.height, isRed));
    EXPECT_FALSE (foundIn (shot, tracesEndX + 2, 0, shot.width, shot.height, isBlue));
    EXPECT_FALSE (foundIn (shot, 0, 0, tracesStartX - 2, shot.height, isRed));
}

TEST_F (EditorWindowTest, ACaptureGoesOnAcrossAReactivationAtAnotherRate)
{
    // Half a capture with channel 0 at 0.9, then, at 96 kHz in blocks of 1024, the rest at
    // 0.85, which would start a new capture from x 45 if reactivating had reset the hold.
    ASSERT_TRUE (plugin.prepare (48000.0, blockSize));
    const auto feed = [this] (int numBlocks, int numSamples, float first)
    {
        const std::vector<std::vector<float>> input { std::vector<float> ((size_t) numSamples, first),
                                                      std::vector<float> ((size_t) numSamples, secondLevel) };
        std::vector<std::vector<float>> output;

        for (int i = 0; i < numBlocks; ++i)
            ASSERT_EQ (plugin.process (input, output), kResultOk);
    };

    ASSERT_NO_FATAL_FAILURE (feed (12, blockSize, firstLevel));
    ASSERT_TRUE (plugin.prepare (96000.0, 1024));
    ASSERT_NO_FATAL_FAILURE (feed (6, 1024, 0.85f));

    EditorWindow window (plugin.getController(), runLoop);
    ASSERT_EQ (window.getFailure(), "");
    const auto shot = waitForPaint (window);
    ASSERT_EQ (shot.width, 1600);

    // 6144 samples before the reactivation give 768 points, from x 45 to x 812; the points
    // after it, at y 320, run on from there to x 1544.
    constexpr int laterLevelY = 320;

    for (int x = tracesStartX + 1; x < 800; x += 37)
    {
        EXPECT_TRUE (foundNear (shot, x, firstTraceY, 2, isRed)) << "first half missing at x " << x;
        EXPECT_FALSE (foundNear (shot, x, laterLevelY, 2, isRed)) << "the capture started over at x " << x;
    }

    for (int x = 830; x < tracesEndX; x += 37)
    {
        EXPECT_TRUE (foundNear (shot, x, laterLevelY, 2, isRed)) << "second half missing at x " << x;
        EXPECT_FALSE (foundNear (shot, x, firstTraceY, 2, isRed)) << "first level at x " << x;
    }
}

TEST_F (EditorWindowTest, ClosingTheViewLeavesTheHostRunLoop)
{
    ASSERT_NO_FATAL_FAILURE (feedCapture());

    {
        EditorWindow window (plugin.getController(), runLoop);
        ASSERT_EQ (window.getFailure(), "");
        EXPECT_GT (runLoop.getNumEventHandlers(), 0) << "the editor does not run on the host's run loop";
        waitForPaint (window);
    }

    EXPECT_EQ (runLoop.getNumEventHandlers(), 0);
    EXPECT_EQ (runLoop.getNumTimers(), 0);
    EXPECT_EQ (runLoop.getReferenceCount(), 1) << "the plug-in still holds the run loop";
}

//==============================================================================
int main (int argc, char** argv)
{
    EditorWindow::prepareXlib();
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
