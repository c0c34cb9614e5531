// Times the editor's paint of a full 1500-point capture with the software renderer, and
// the message thread's CPU share while the editor repaints on its own 33 ms ticks.
//
// Usage: paint_benchmark [paints (200)] [seconds of timer ticks (3; 0 skips them)]

#include "PluginEditor.h"
#include "helpers/MessageLoop.h"
#include "helpers/ProcessorDriver.h"

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
double threadCpuSeconds()
{
    rusage usage {};
    getrusage (RUSAGE_THREAD, &usage);
    return (double) (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
         + (double) (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1.0e-6;
}

// Triggers a capture and fills it with 12000 samples of the given signal on both channels,
// channel 1 a quarter of the signal's period behind channel 0.
template <typename Signal>
void capture (ProcessorDriver& d, Signal signal)
{
    std::vector<float> first (12000), second (12000);

    for (size_t i = 0; i < first.size(); ++i)
    {
        first[i] = signal (i);
        second[i] = signal (i + 120);
    }

    d.process ({ 0.9f });
    d.process (first, second);
}

void reportPaints (const char* what, QuillornAudioProcessorEditor& editor, int numPaints)
{
    // The X11 peer renders into an RGB image of the window's size.
    juce::Image image (juce::Image::RGB, editor.getWidth(), editor.getHeight(), true);
    std::vector<double> milliseconds;

    // The first paint loads the font; it is left out of the figures.
    for (int i = -1; i < numPaints; ++i)
    {
        const auto start = juce::Time::getHighResolutionTicks();

        {
            juce::Graphics g (image);
            editor.paintEntireComponent (g, true);
        }

        if (i >= 0)
            milliseconds.push_back (juce::Time::highResolutionTicksToSeconds (juce::Time::getHighResolutionTicks() - start) * 1000.0);
    }

    std::sort (milliseconds.begin(), milliseconds.end());
    const auto median = milliseconds[milliseconds.size() / 2];

    std::printf ("paint, %s: median %.3f ms, worst %.3f ms over %d paints; at one paint per 33 ms %.1f %% of the message thread\n",
                 what, median, milliseconds.back(), numPaints, median / 33.0 * 100.0);
}

/** Stands in for the window's peer: each repaint that the editor's timer asks for is
    painted, asynchronously as the peer does, into an image of the window's size. What
    the X server then does with the image is not counted.
*/
struct TickPainter final : juce::CachedComponentImage, private juce::AsyncUpdater
{
    explicit TickPainter (juce::Component& c) : component (c) {}

    void paint (juce::Graphics&) override {}
    bool invalidateAll() override                          { triggerAsyncUpdate(); return true; }
    bool invalidate (const juce::Rectangle<int>&) override { triggerAsyncUpdate(); return true; }
    void releaseResources() override {}

    void handleAsyncUpdate() override
    {
        juce::Graphics g (image);
        component.paint (g);
        ++paints;
    }

    juce::Component& component;
    juce::Image image { juce::Image::RGB, component.getWidth(), component.getHeight(), true };
    int paints = 0;
};

void reportTicks (QuillornAudioProcessorEditor& editor, int seconds)
{
    auto* painter = new TickPainter (editor);
    editor.setVisible (true);
    editor.setCachedComponentImage (painter);

    const auto cpuStart = threadCpuSeconds();
    const auto wallStart = juce::Time::getMillisecondCounterHiRes();
    runMessageLoopFor (seconds * 1000);
    const auto cpu = threadCpuSeconds() - cpuStart;
    const auto wall = (juce::Time::getMillisecondCounterHiRes() - wallStart) * 1.0e-3;

    std::printf ("editor's own 33 ms ticks for %.1f s: %d paints, message thread CPU %.3f s, %.1f %%\n",
                 wall, painter->paints, cpu, cpu / wall * 100.0);
    editor.setCachedComponentImage (nullptr);
}
} // namespace

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    const auto numPaints = argc > 1 ? std::max (1, std::atoi (argv[1])) : 200;
    const auto tickSeconds = argc > 2 ? std::atoi (argv[2]) : 3;

    ProcessorDriver d;
    QuillornAudioProcessorEditor editor (d.processor);
    reportPaints ("empty traces", editor, numPaints);

    // A sine gives smooth rises and falls, and 0.0 below the window in its negative
    // halves; noise makes most segments tens of pixels tall.
    capture (d, [] (size_t i) { return 0.9f * std::sin ((float) i * juce::MathConstants<float>::twoPi / 480.0f); });
    reportPaints ("full capture of a 100 Hz sine at 48 kHz", editor, numPaints);

    juce::Random random (1);
    capture (d, [&random] (size_t) { return random.nextFloat() * 2.0f - 1.0f; });
    reportPaints ("full capture of noise", editor, numPaints);

    if (tickSeconds > 0)
        reportTicks (editor, tickSeconds);

    return 0;
}
