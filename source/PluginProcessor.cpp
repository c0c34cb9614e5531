#include "PluginProcessor.h"
#include "PluginEditor.h"

#include <thread>

//==============================================================================
QuillornAudioProcessor::QuillornAudioProcessor()
    : AudioProcessor (BusesProperties().withInput  ("Input",  juce::AudioChannelSet::stereo(), true)
                                       .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
}

//==============================================================================
const juce::String QuillornAudioProcessor::getName() const
{
    return "Quillorn";
}

//==============================================================================
void QuillornAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const auto numSamples = buffer.getNumSamples();

    // A block without samples, or a host that hands over no channels at all, changes nothing.
    if (numSamples <= 0 || buffer.getNumChannels() <= 0)
        return;

    const auto* firstChannel = buffer.getReadPointer (0);

    // A mono layout has no channel 1: it reads as silence, so only channel 0 triggers
    // and the channel-1 trace receives 0.0 at each append.
    const auto* secondChannel = buffer.getNumChannels() > 1 ? buffer.getReadPointer (1) : nullptr;

    // Running maxima since the last append or the start of this block. A NaN never
    // compares greater, so it neither triggers nor raises a maximum.
    auto firstMax = 0.0f;
    auto secondMax = 0.0f;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto x0 = firstChannel[i];
        const auto x1 = secondChannel != nullptr ? secondChannel[i] : 0.0f;

        if (holdCount > 0)
            --holdCount;
        else if (x0 > triggerThreshold || x1 > triggerThreshold)
            startCapture();

        decimationPhase = (decimationPhase + 1) % 8;

        if (x0 > firstMax)  firstMax = x0;
        if (x1 > secondMax) secondMax = x1;

        // Points are due on every 8th sample while the hold is above 18000: the
        // trigger sample and the 11999 samples after it.
        if (decimationPhase == 0 && holdCount > 18000)
        {
            appendPoints (firstMax, secondMax);
            firstMax = 0.0f;
            secondMax = 0.0f;
        }
    }

    publish();
}

void QuillornAudioProcessor::startCapture() noexcept
{
    holdCount = 30000;
    clearTraces();
}

void QuillornAudioProcessor::clearTraces() noexcept
{
    firstChannelTrace.clear();
    secondChannelTrace.clear();

    // Readers must see the empty traces before the mirror is overwritten from index 0.
    publish();
}

void QuillornAudioProcessor::appendPoints (float firstValue, float secondValue) noexcept
{
    // juce::Array is left with a null buffer when it cannot grow. Appending only when
    // both traces have room keeps them equal in length and never writes out of bounds.
    const auto canGrow = [] (juce::Array<float>& trace)
    {
        trace.ensureStorageAllocated (trace.size() + 1);
        return trace.getRawDataPointer() != nullptr;
    };

    if (! canGrow (firstChannelTrace) || ! canGrow (secondChannelTrace))
    {
        clearTraces();
        return;
    }

    firstChannelTrace.add (firstValue);
    secondChannelTrace.add (secondValue);

    const auto index = firstChannelTrace.size() - 1;
    jassert (index < maxCapturePoints);

    if (index < maxCapturePoints)
    {
        publishedFirstTrace[(size_t) index].store (firstValue, std::memory_order_release);
        publishedSecondTrace[(size_t) index].store (secondValue, std::memory_order_release);
    }
}

void QuillornAudioProcessor::publish() noexcept
{
    // Release stores of the data keep the odd sequence number ahead of them, and a
    // reader's acquire loads of the data keep its second look at the sequence number
    // behind them. No fences, so ThreadSanitizer can follow it.
    const auto sequence = publishSequence.load (std::memory_order_relaxed);
    publishSequence.store (sequence + 1, std::memory_order_relaxed);
    publishedPointCount.store (juce::jmin (firstChannelTrace.size(), maxCapturePoints), std::memory_order_release);
    publishedHoldCount.store (holdCount, std::memory_order_release);
    publishSequence.store (sequence + 2, std::memory_order_release);
}

bool QuillornAudioProcessor::readCapture (CaptureSnapshot& snapshot) const
{
    CaptureSnapshot copy;
    copy.firstChannelTrace.ensureStorageAllocated (maxCapturePoints);
    copy.secondChannelTrace.ensureStorageAllocated (maxCapturePoints);

    // The audio thread keeps a write open for a few stores only, so a handful of
    // attempts succeeds unless this thread itself is preempted at the wrong moment.
    for (int attempt = 0; attempt < 64; ++attempt)
    {
        const auto sequence = publishSequence.load (std::memory_order_acquire);

        if ((sequence & 1) == 0)
        {
            const auto numPoints = publishedPointCount.load (std::memory_order_acquire);
            copy.holdCount = publishedHoldCount.load (std::memory_order_acquire);
            copy.firstChannelTrace.clearQuick();
            copy.secondChannelTrace.clearQuick();

            for (size_t i = 0; i < (size_t) numPoints; ++i)
            {
                copy.firstChannelTrace.add (publishedFirstTrace[i].load (std::memory_order_acquire));
                copy.secondChannelTrace.add (publishedSecondTrace[i].load (std::memory_order_acquire));
            }

            if (publishSequence.load (std::memory_order_relaxed) == sequence)
            {
                std::swap (snapshot, copy);
                return true;
            }
        }

        std::this_thread::yield();
    }

    return false;
}

//==============================================================================
juce::AudioProcessorEditor* QuillornAudioProcessor::createEditor()
{
    return new QuillornAudioProcessorEditor (*this);
}

//==============================================================================
const juce::String QuillornAudioProcessor::getProgramName (int)
{
    return {};
}

//==============================================================================
bool QuillornAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto output = layouts.getMainOutputChannelSet();

    if (output != juce::AudioChannelSet::mono() && output != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == output;
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new QuillornAudioProcessor();
}
