// Times the editor's paint, rendered as JUCE's Linux window peer renders it, for each
// capture of the scope's golden set and for captures of far-off points, and the message
// thread's CPU share while the editor repaints on its own 33 ms ticks.
//
// Usage: paint_benchmark [paints per capture (200)] [seconds of timer ticks (3; 0 skips them)]
//                        [capture names (all)]

#include "CpuTime.h"
#include "PluginEditor.h"
#include "helpers/MessageLoop.h"
#include "helpers/PeerRenderer.h"
#include "helpers/ScopeCaptures.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr double refreshPeriodMs = 33.0;

void reportPaints (const ScopeCapture& capture, int numPaints)
{
    ProcessorDriver d;
    capture.feed (d);
    QuillornAudioProcessorEditor editor (d.processor);
    PeerRenderer renderer (editor);
    std::vector<double> milliseconds;

    // The first paint loads the font; it is left out of the figures.
    for (int i = -1; i < numPaints; ++i)
    {
        const auto start = juce::Time::getHighResolutionTicks();
        renderer.paint();

        if (i >= 0)
            milliseconds.push_back (juce::Time::highResolutionTicksToSeconds (juce::Time::getHighResolutionTicks() - start) * 1000.0);
    }

    std::sort (milliseconds.begin(), milliseconds.end());
    const auto median = milliseconds[milliseconds.size() / 2];

    std::printf ("| %-20s | %8.2f | %8.2f | %5.0f %% |\n",
                 capture.name.c_str(), median, milliseconds.back(), median / refreshPeriodMs * 100.0);
}

/** Stands in for the window's peer: each repaint that the editor's timer asks for is
    painted, asynchronously as the peer does, the way the peer paints.

    JUCE's Linux message queue runs every message it holds before it returns to the
    event loop, so paints that take longer than the timer period would never let the
    loop return; none is made after the deadline.
*/
struct TickPainter final : juce::CachedComponentImage, private juce::AsyncUpdater
{
    TickPainter (juce::Component& c, double deadlineMs) : renderer (c), deadline (deadlineMs) {}

    void paint (juce::Graphics&) override {}
    bool invalidateAll() override                          { triggerAsyncUpdate(); return true; }
    bool invalidate (const juce::Rectangle<int>&) override { triggerAsyncUpdate(); return true; }
    void releaseResources() override {}

    void handleAsyncUpdate() override
    {
        if (juce::Time::getMillisecondCounterHiRes() >= deadline)
            return;

        renderer.paint();
        ++paints;
    }

    PeerRenderer renderer;
    const double deadline;
    int paints = 0;
};

void reportTicks (const ScopeCapture& capture, int seconds)
{
    ProcessorDriver d;
    capture.feed (d);
    QuillornAudioProcessorEditor editor (d.processor);

    const auto cpuStart = cpuSeconds (RUSAGE_THREAD);
    const auto wallStart = juce::Time::getMillisecondCounterHiRes();

    auto* painter = new TickPainter (editor, wallStart + seconds * 1000.0);
    editor.setVisible (true);
    editor.setCachedComponentImage (painter);
    runMessageLoopFor (seconds * 1000);
    const auto cpu = cpuSeconds (RUSAGE_THREAD) - cpuStart;
    const auto wall = (juce::Time::getMillisecondCounterHiRes() - wallStart) * 1.0e-3;

    std::printf ("editor's own 33 ms ticks, %s, for %.1f s: %d paints, message thread CPU %.3f s, %.1f %%\n",
                 capture.name.c_str(), wall, painter->paints, cpu, cpu / wall * 100.0);
    editor.setCachedComponentImage (nullptr);
}

const ScopeCapture& findCapture (const std::string& name)
{
    const auto& captures = scopeCaptures();
    return *std::find_if (captures.begin(), captures.end(), [&] (const auto& c) { return c.name == name; });
}
} // namespace

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    const auto numPaints = argc > 1 ? std::max (1, std::atoi (argv[1])) : 200;
    const auto tickSeconds = argc > 2 ? std::atoi (argv[2]) : 3;

    std::printf ("1600 x 800 paints as the Linux peer renders them, %d per capture\n\n", numPaints);
    std::printf ("| %-20s | %8s | %8s | %7s |\n", "capture", "median", "worst", "of 33ms");
    std::printf ("|----------------------|----------|----------|---------|\n");

    std::vector<std::string> names (argv + std::min (argc, 3), argv + argc);

    for (const auto* captures : { &scopeCaptures(), &farOffCaptures() })
        for (const auto& capture : *captures)
            if (names.empty() || std::find (names.begin(), names.end(), capture.name) != names.end())
                reportPaints (capture, numPaints);

    if (tickSeconds > 0)
    {
        std::printf ("\n");

        for (const auto* name : { "steady-levels", "alternating-1-and-0" })
            reportTicks (findCapture (name), tickSeconds);
    }

    return 0;
}
