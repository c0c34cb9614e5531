#include "PluginEditor.h"
#include "helpers/Images.h"
#include "helpers/PeerRenderer.h"
#include "helpers/ScopeCaptures.h"

#include <gtest/gtest.h>

namespace
{
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

    ASSERT_EQ (rendered.getFormat(), golden.getFormat());
    const auto difference = compareBytes (golden, rendered);

    if (difference.numPixels > 0)
        saveAsPng (rendered, juce::File (QUILLORN_ARTEFACTS_DIR).getChildFile ("golden-mismatch-" + GetParam().name + ".png"));

    EXPECT_EQ (difference.numPixels, 0)
        << "first at " << difference.first.toString()
        << ": golden " << golden.getPixelAt (difference.first.x, difference.first.y).toString()
        << ", rendered " << rendered.getPixelAt (difference.first.x, difference.first.y).toString()
        << "; the render is saved as golden-mismatch-" << GetParam().name << ".png in " << QUILLORN_ARTEFACTS_DIR;
}

INSTANTIATE_TEST_SUITE_P (Captures, GoldenImage, testing::ValuesIn (scopeCaptures()),
                          [] (const testing::TestParamInfo<ScopeCapture>& param)
                          {
                              return juce::String (param.param.name).removeCharacters ("-").toStdString();
                          });
} // namespace
