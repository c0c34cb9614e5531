#pragma once

#include <juce_graphics/juce_graphics.h>

/** Where two images of the same size and pixel format differ, byte for byte: how many
    pixels, and the first of them in reading order.
*/
struct ImageDifference
{
    int numPixels = 0;
    juce::Point<int> first;
};

ImageDifference compareBytes (const juce::Image&, const juce::Image&);

/** Writes the image as a PNG file, replacing any file there; false if it cannot. */
bool saveAsPng (const juce::Image&, const juce::File&);
