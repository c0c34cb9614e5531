#include "Images.h"

#include <cstring>

ImageDifference compareBytes (const juce::Image& a, const juce::Image& b)
{
    jassert (a.getBounds() == b.getBounds() && a.getFormat() == b.getFormat());

    const juce::Image::BitmapData dataA (a, juce::Image::BitmapData::readOnly);
    const juce::Image::BitmapData dataB (b, juce::Image::BitmapData::readOnly);
    ImageDifference difference;

    for (int y = 0; y < a.getHeight(); ++y)
    {
        for (int x = 0; x < a.getWidth(); ++x)
        {
            if (std::memcmp (dataA.getPixelPointer (x, y), dataB.getPixelPointer (x, y), (size_t) dataA.pixelStride) != 0
                && difference.numPixels++ == 0)
            {
                difference.first = { x, y };
            }
        }
    }

    return difference;
}

bool saveAsPng (const juce::Image& image, const juce::File& file)
{
    if (! file.getParentDirectory().createDirectory() || (file.exists() && ! file.deleteFile()))
        return false;

    juce::FileOutputStream out (file);
    return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out);
}
