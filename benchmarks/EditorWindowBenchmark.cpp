// Opens the editor of the built bundle in a real X11 window driven by the test host's run
// loop, as a Linux host embeds it, first with a flat capture on screen and then with a
// dense one, and prints for each the process's CPU share and the rate at which a 100 Hz
// timer of the host's own run loop actually fires.
//
// Usage: xvfb-run -a -s "-screen 0 1920x1080x24" editor_window_benchmark [seconds per capture (5)]

#include "CpuTime.h"
#include "EditorWindow.h"
#include "TestSignals.h"
#include "Vst3Host.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace Steinberg;
using namespace quillorn::host;

namespace
{
/** A timer of the host's own, such as a host's meters or transport display, counting how
    often its run loop gets round to it. */
class HostTimer final : public Linux::ITimerHandler
{
public:
    void PLUGIN_API onTimer() override   { ++fires; }

    tresult PLUGIN_API queryInterface (const TUID queryIid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual (queryIid, Linux::ITimerHandler_iid) || FUnknownPrivate::iidEqual (queryIid, FUnknown_iid))
        {
            *obj = this;
            return kResultOk;
        }

        *obj = nullptr;
        return kNoInterface;
    }

    uint32 PLUGIN_API addRef() override   { return 1; }
    uint32 PLUGIN_API release() override  { return 1; }

    int fires = 0;
};

constexpr int blockSize = 512;

bool processBlocks (Vst3Plugin& plugin, int numBlocks, const Block& block)
{
    Block output;

    for (int i = 0; i < numBlocks; ++i)
        if (plugin.process (block, output) != kResultOk)
            return false;

    return true;
}

/** Lets the hold of the last capture run out, then triggers a new one and fills its 12000
    samples with blocks of this signal. */
bool capture (Vst3Plugin& plugin, const Block& block)
{
    return processBlocks (plugin, 30000 / blockSize + 1, Block (2, std::vector<float> (blockSize, 0.0f)))
        && processBlocks (plugin, 12000 / blockSize + 1, block);
}

// Channel 0 at 0.9 and channel 1 at 0.5 throughout: every segment is flat.
Block flatBlock()
{
    return { std::vector<float> (blockSize, 0.9f), std::vector<float> (blockSize, 0.5f) };
}

// A pulse of 1.0 every 16 samples, on channel 1 half a period after channel 0: the points
// alternate between 1.0 and 0.0, so every segment spans the window from y 200 down.
Block denseBlock()
{
    Block block (2, std::vector<float> (blockSize, 0.0f));

    for (int i = 0; i < blockSize; i += 16)
    {
        block[0][(size_t) i] = 1.0f;
        block[1][(size_t) i + 8] = 1.0f;
    }

    return block;
}

void report (const char* name, HostRunLoop& runLoop, HostTimer& timer, int seconds)
{
    // The first paints of a capture are left out.
    runLoop.runFor (std::chrono::milliseconds (500));

    const auto firesBefore = timer.fires;
    const auto cpuBefore = cpuSeconds (RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    runLoop.runFor (std::chrono::seconds (seconds));
    const auto wall = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();

    std::printf ("| %-6s | %6.1f %% | %6.1f Hz |\n", name,
                 (cpuSeconds (RUSAGE_SELF) - cpuBefore) / wall * 100.0, (timer.fires - firesBefore) / wall);
}
} // namespace

int main (int argc, char** argv)
{
    EditorWindow::prepareXlib();
    const auto seconds = argc > 1 ? std::max (1, std::atoi (argv[1])) : 5;

    HostRunLoop runLoop;
    Vst3Module module;
    Vst3Plugin plugin { module };

    if (! plugin.prepare (48000.0, blockSize) || ! capture (plugin, flatBlock()))
    {
        std::fprintf (stderr, "the plug-in refused to prepare or to process\n");
        return 1;
    }

    EditorWindow window (plugin.getController(), runLoop);

    if (! window.getFailure().empty())
    {
        std::fprintf (stderr, "cannot open the editor: %s\n", window.getFailure().c_str());
        return 1;
    }

    HostTimer timer;
    runLoop.registerTimer (&timer, 10);

    std::printf ("the editor in a 1600 x 800 X11 window, %d s per capture; a host timer of 100 Hz\n\n", seconds);
    std::printf ("| %-6s | %8s | %9s |\n", "scope", "CPU", "timer");
    std::printf ("|--------|----------|-----------|\n");
    report ("flat", runLoop, timer, seconds);

    if (! capture (plugin, denseBlock()))
    {
        std::fprintf (stderr, "the plug-in refused to process\n");
        return 1;
    }

    report ("dense", runLoop, timer, seconds);

    runLoop.unregisterTimer (&timer);
    return 0;
}
