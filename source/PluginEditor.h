#pragma once

#include "PluginProcessor.h"

//==============================================================================
/** A fixed-size scope view of the processor's last capture, refreshed every 33 ms
    while the channel-0 trace holds points.
*/
class QuillornAudioProcessorEditor final : public juce::AudioProcessorEditor,
                                           private juce::Timer
{
public:
    explicit QuillornAudioProcessorEditor (QuillornAudioProcessor&);
    ~QuillornAudioProcessorEditor() override = default;

    //==============================================================================
    void paint (juce::Graphics&) override;
    void resized() override {}

    /** The refresh period, in milliseconds. */
    using juce::Timer::getTimerInterval;

private:
    //==============================================================================
    void timerCallback() override;
    static void drawTraceSegment (juce::Graphics&, juce::Line<float>);

    //==============================================================================
    QuillornAudioProcessor& audioProcessor;
    const int refreshIntervalMs;
    const int plotMargin;
    const int verticalOffset;

    // Message thread only: the state drawn by the last paint, kept when a read of the
    // processor's hand-over fails so that a paint never shows a torn capture.
    QuillornAudioProcessor::CaptureSnapshot capture;

    //==============================================================================
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuillornAudioProcessorEditor)
};
