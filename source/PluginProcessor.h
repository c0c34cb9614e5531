#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <cstdint>

//==============================================================================
/** Passes audio through untouched and captures a decimated trace of the running
    maxima of channels 0 and 1 each time either of them rises above the trigger
    threshold.
*/
class QuillornAudioProcessor final : public juce::AudioProcessor
{
public:
    //==============================================================================
    /** A consistent copy of what the audio thread last published, for the editor. */
    struct CaptureSnapshot
    {
        juce::Array<float> firstChannelTrace, secondChannelTrace;
        int holdCount = 0;
    };

    /** A capture window of 12000 samples with one point every 8 samples. */
    static constexpr int maxCapturePoints = 1500;

    //==============================================================================
    QuillornAudioProcessor();
    ~QuillornAudioProcessor() override = default;

    //==============================================================================
    const juce::String getName() const override;

    void prepareToPlay (double, int) override {}
    void releaseResources() override {}

    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using AudioProcessor::processBlock;

    double getTailLengthSeconds() const override   { return 0.0; }
    bool acceptsMidi() const override              { return false; }
    bool producesMidi() const override             { return false; }
    bool isMidiEffect() const override             { return false; }

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override                { return true; }

    int getNumPrograms() override                  { return 1; }
    int getCurrentProgram() override               { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override;
    void changeProgramName (int, const juce::String&) override {}

    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}

    bool isBusesLayoutSupported (const BusesLayout&) const override;

    //==============================================================================
    // Message thread. These never make the audio thread wait.

    /** Copies the published capture state into the snapshot. Returns false, leaving
        the snapshot as it was, if the audio thread kept rewriting it while it was read.
    */
    bool readCapture (CaptureSnapshot&) const;

    /** The number of points of the channel-0 trace at the end of the last block. */
    int getPublishedPointCount() const noexcept    { return publishedPointCount.load (std::memory_order_relaxed); }

    float getTriggerThreshold() const noexcept     { return triggerThreshold; }

    //==============================================================================
    // The live capture state. Only valid on the audio thread, or while nothing processes.
    const juce::Array<float>& getFirstChannelTrace() const noexcept   { return firstChannelTrace; }
    const juce::Array<float>& getSecondChannelTrace() const noexcept  { return secondChannelTrace; }
    int getHoldCount() const noexcept                                 { return holdCount; }
    int getDecimationPhase() const noexcept                           { return decimationPhase; }

private:
    //==============================================================================
    void startCapture() noexcept;
    void appendPoints (float firstValue, float secondValue) noexcept;
    void clearTraces() noexcept;
    void publish() noexcept;

    //==============================================================================
    // Capture state: written by processBlock() on the audio thread only.
    juce::Array<float> firstChannelTrace, secondChannelTrace;
    int holdCount = 0;
    int decimationPhase = 0;
    const float triggerThreshold = 0.8f;

    //==============================================================================
    // Hand-over to the message thread: written on the audio thread, read on the message
    // thread through readCapture(). A sequence lock that the audio thread never waits on:
    // it mirrors each point as it is appended, beyond the published count, where no
    // reader looks; the count and the hold count are published after each trigger and
    // at the end of each block, between an odd and an even sequence number.
    std::atomic<std::uint32_t> publishSequence { 0 };
    std::atomic<int> publishedPointCount { 0 };
    std::atomic<int> publishedHoldCount { 0 };
    std::array<std::atomic<float>, maxCapturePoints> publishedFirstTrace {}, publishedSecondTrace {};

    //==============================================================================
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuillornAudioProcessor)
};
