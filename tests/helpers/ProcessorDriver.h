#pragma once

#include "PluginProcessor.h"

#include <vector>

/** Feeds a processor blocks of samples the way the framework does: one buffer per
    call, channels 0 and 1, MIDI ignored.
*/
struct ProcessorDriver
{
    QuillornAudioProcessor processor;
    juce::MidiBuffer midi;

    /** Processes one block of two channels; channel 1 defaults to silence. */
    void process (const std::vector<float>& first, std::vector<float> second = {})
    {
        second.resize (first.size(), 0.0f);
        juce::AudioBuffer<float> buffer (2, (int) first.size());
        std::copy (first.begin(), first.end(), buffer.getWritePointer (0));
        std::copy (second.begin(), second.end(), buffer.getWritePointer (1));
        processor.processBlock (buffer, midi);
    }

    /** Processes one block of a one-channel buffer, as a mono layout gives it. */
    void processMono (const std::vector<float>& samples)
    {
        juce::AudioBuffer<float> buffer (1, (int) samples.size());
        std::copy (samples.begin(), samples.end(), buffer.getWritePointer (0));
        processor.processBlock (buffer, midi);
    }

    /** Processes numSamples samples of a constant value on both channels, in blocks. */
    void processConstant (int numSamples, float first, float second = 0.0f, int blockSize = 512)
    {
        for (int done = 0; done < numSamples; done += blockSize)
        {
            const auto n = std::min (blockSize, numSamples - done);
            process (std::vector<float> ((size_t) n, first), std::vector<float> ((size_t) n, second));
        }
    }

    int holdCount() const           { return processor.getHoldCount(); }
    int phase() const               { return processor.getDecimationPhase(); }
    int numPoints() const           { return processor.getFirstChannelTrace().size(); }
    float firstPoint (int i) const  { return processor.getFirstChannelTrace()[i]; }
    float secondPoint (int i) const { return processor.getSecondChannelTrace()[i]; }
};
