#include "PluginEditor.h"

//==============================================================================
QuillornAudioProcessorEditor::QuillornAudioProcessorEditor (QuillornAudioProcessor& p)
    : AudioProcessorEditor (p),
      audioProcessor (p),
      refreshIntervalMs (33),
      plotMargin (24),
      verticalOffset (200)
{
    setSize (1600, 800);
    startTimer (refreshIntervalMs);
}

//==============================================================================
void QuillornAudioProcessorEditor::paint (juce::Graphics& g)
{
    audioProcessor.readCapture (capture);

    const auto width = getWidth();
    const auto height = getHeight();
    const auto heightF = (float) height;

    // Truncated, so the line sits one pixel above a point equal to the threshold.
    const auto thresholdOffset = (int) ((1.0f - audioProcessor.getTriggerThreshold()) * heightF);

    g.fillAll (juce::Colour (0xfff5f5f5));

    g.setColour (juce::Colour (0xff000000));
    g.setFont (20.0f);
    g.drawFittedText ("Helvorant - Quillorn", getLocalBounds(), juce::Justification::centredTop, 1, 0.0f);
    g.drawFittedText (juce::String (capture.holdCount), getLocalBounds(), juce::Justification::topRight, 1, 0.0f);

    g.setColour (juce::Colour (0xfff0f0f0));
    g.fillRect (plotMargin, plotMargin, width - 2 * plotMargin, height - 2 * plotMargin);
    g.setColour (juce::Colour (0xff000000));
    g.drawRect (plotMargin, plotMargin, width - 2 * plotMargin, height - 2 * plotMargin, 3);

    const auto thresholdY = (float) (verticalOffset + thresholdOffset);
    g.drawLine ((float) plotMargin, thresholdY, (float) (width - plotMargin), thresholdY, 1.0f);

    const auto yOf = [this, heightF] (float value) { return (float) verticalOffset + (1.0f - value) * heightF; };
    const auto& first = capture.firstChannelTrace;
    const auto& second = capture.secondChannelTrace;

    // operator[] reads 0.0 past the end of the channel-1 trace.
    for (int i = 0; i < first.size() - 1; ++i)
    {
        const auto firstStart = first[i], firstEnd = first[i + 1];
        const auto secondStart = second[i], secondEnd = second[i + 1];
        const auto xStart = (float) plotMargin + (float) (i + 21);
        const auto xEnd = (float) plotMargin + (float) (i + 22);

        g.setColour (juce::Colour (0xffff0000));
        drawTraceSegment (g, { xStart, yOf (firstStart), xEnd, yOf (firstEnd) });
        g.setColour (juce::Colour (0xff0000ff));
        drawTraceSegment (g, { xStart, yOf (secondStart), xEnd, yOf (secondEnd) });
    }
}

//==============================================================================
void QuillornAudioProcessorEditor::timerCallback()
{
    if (audioProcessor.getPublishedPointCount() > 0)
        repaint();
}

void QuillornAudioProcessorEditor::drawTraceSegment (juce::Graphics& g, juce::Line<float> segment)
{
    // Beyond 2^24 pixels a float no longer tells pixels apart, and further out the
    // renderer's fixed-point coordinates overflow. A segment towards a point that far above
    // the window, or an infinite one, is drawn as the limit it takes as the point rises:
    // straight up from its other end to just above the window. Points are never negative,
    // so no y lies far below.
    constexpr auto farAbove = -16777216.0f;
    const auto isFarAbove = [] (juce::Point<float> p) { return ! (p.y > farAbove); };
    const auto straightUpFrom = [] (juce::Point<float> p) { return juce::Point (p.x, juce::jmin (p.y, 0.0f) - 2.0f); };

    auto start = segment.getStart();
    auto end = segment.getEnd();

    if (isFarAbove (start) && isFarAbove (end))
        return;

    if (isFarAbove (start))
        start = straightUpFrom (end);
    else if (isFarAbove (end))
        end = straightUpFrom (start);

    g.drawLine ({ start, end }, 2.0f);
}
