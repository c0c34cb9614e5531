#include "PluginEditor.h"
#include "helpers/PeerRenderer.h"
#include "helpers/ScopeCaptures.h"

#include <gtest/gtest.h>

namespace
{
/** Where two images differ: how many pixels, and the first of them in reading order. */
struct Difference
{
    int numPixels = 0;
    juce::Point<int> first;
    juce::uint32 expected = 0, actual = 0;
};

Difference compare (const juce::Image& expected, const juce::Image& actual)
{
    Difference difference;
    const juce::Image::BitmapData e (expected, juce::Image::BitmapData::readOnly);
    const juce::Image::BitmapData a (actual, juce::Image::BitmapData::readOnly);

    for (int y = 0; y < expected.getHeight(); ++y)
    {
        for (int x = 0; x < expected.getWidth(); ++x)
        {
            const auto ePixel = e.getPixelColour (x, y).getARGB();
            const auto aPixel = a.getPixelColour (x, y).getARGB();

            if (ePixel != aPixel && difference.numPixels++ == 0)
                difference = { 1, { x, y }, ePixel, aPixel };
        }
    }

    return difference;
}

class GoldenImage : public testing::TestWithParam<ScopeCapture> {};

TEST_P (GoldenImage, RendersExactlyAsTheGoldenImage)
{
    const auto golden = juce::ImageFileFormat::loadFrom (juce::File (QUILLORN_GOLDEN_IMAGES_DIR).getChildFile (GetParam().name + ".png"));
    ASSERT_TRUE (golden.isValid()) << "no golden image for " << GetParam().name;

    ProcessorDriver d;
    GetParam().feed (d);
    QuillornAudioProcessorEditor editor (d.processor);
    PeerRenderer renderer (editor);
    const auto& rendered = renderer.paint();
    ASSERT_EQ (rendered.getBounds(), golden.getBounds());

    const auto difference = compare (golden, rendered);

    if (difference.numPixels > 0)
    {
        const auto file = juce::File (QUILLORN_ARTEFACTS_DIR).getChildFile ("golden-mismatch-" + GetParam().name + ".png");
        file.getParentDirectory().createDirectory();
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat().writeImageToStream (rendered, out);
    }

    EXPECT_EQ (difference.numPixels, 0)
        << "first at " << difference.first.toString() << ": golden " << juce::String::toHexString (difference.expected)
        << ", rendered " << juce::String::toHexString (difference.actual)
        << "; the render is saved as golden-mismatch-" << GetParam().name << ".png in " << QUILLORN_ARTEFACTS_DIR;
}

INSTANTIATE_TEST_SUITE_P (Captures, GoldenImage, testing::ValuesIn (scopeCaptures()),
                          [] (const testing::TestParamInfo<ScopeCapture>& param)
                          {
                              return juce::String (param.param.name).removeCharacters ("-").toStdString();
                          });
} // namespace
