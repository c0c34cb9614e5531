#include "PluginEditor.h"
#include "helpers/MessageLoop.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

//==============================================================================
// Heap calls made by a thread while it counts. Every allocation, operator new's
// included, goes through malloc, calloc or realloc, which this program replaces
// with counting versions over glibc's own. Sanitizers replace them already.
namespace
{
thread_local bool countingHeapCalls = false;
thread_local long heapCalls = 0;
}

#if defined (__SANITIZE_ADDRESS__) || defined (__SANITIZE_THREAD__)
 constexpr bool canCountHeapCalls = false;
#else
 constexpr bool canCountHeapCalls = true;

extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void __libc_free (void*);

    void* malloc (size_t size) noexcept
    {
        heapCalls += countingHeapCalls ? 1 : 0;
        return __libc_malloc (size);
    }

    void* calloc (size_t count, size_t size) noexcept
    {
        heapCalls += countingHeapCalls ? 1 : 0;
        return __libc_calloc (count, size);
    }

    void* realloc (void* block, size_t size) noexcept
    {
        heapCalls += countingHeapCalls ? 1 : 0;
        return __libc_realloc (block, size);
    }

    void free (void* block) noexcept
    {
        __libc_free (block);
    }
}
#endif

namespace
{
using Clock = std::chrono::steady_clock;

/** Counts the heap calls of the calling thread for as long as it lives. */
struct HeapCallCount
{
    HeapCallCount()   { countingHeapCalls = true; }
    ~HeapCallCount()  { countingHeapCalls = false; }
};

//==============================================================================
/** A periodic stereo test signal, long enough for the largest block. */
struct Signal
{
    const char* name;
    std::vector<float> first, second;
    int samplesPerCapture;      // 0: never triggers

    static constexpr int length = 1 << 20;

    static Signal make (const char* name, int samplesPerCapture, float (*level) (int sample))
    {
        Signal s { name, std::vector<float> ((size_t) length), std::vector<float> ((size_t) length), samplesPerCapture };

        for (int i = 0; i < length; ++i)
        {
            s.first[(size_t) i] = level (i);
            s.second[(size_t) i] = 0.5f * level (i);
        }

        return s;
    }
};

std::vector<Signal> makeSignals()
{
    // A spike every 32768 samples: each one triggers a capture that runs through its
    // hold on a quiet signal, and the capture is armed again before the next spike.
    std::vector<Signal> signals;
    signals.push_back (Signal::make ("armed silence", 0,     [] (int) { return 0.0f; }));
    signals.push_back (Signal::make ("held capture",  32768, [] (int i) { return i % 32768 == 0 ? 0.9f : 0.1f; }));
    signals.push_back (Signal::make ("retriggering",  30001, [] (int) { return 0.9f; }));
    return signals;
}

/** Hands a processor consecutive blocks of a signal, wrapping round at its end. */
class SignalPlayer
{
public:
    SignalPlayer (QuillornAudioProcessor& p, Signal& s, int size) : processor (p), signal (s), blockSize (size) {}

    void processBlock()
    {
        std::array<float*, 2> channels { signal.first.data() + position, signal.second.data() + position };
        juce::AudioBuffer<float> block (channels.data(), 2, blockSize);
        processor.processBlock (block, midi);
        position = (position + (size_t) blockSize) % (size_t) Signal::length;
    }

private:
    QuillornAudioProcessor& processor;
    Signal& signal;
    const int blockSize;
    juce::MidiBuffer midi;
    size_t position = 0;
};

//==============================================================================
constexpr std::array<int, 5> blockSizes { 1, 32, 512, 4096, 65536 };
constexpr int framesPerRun = 1 << 23;
constexpr int runsPerFigure = 5;

/** Best time per frame over a few runs, and the heap calls of all of them. */
struct Figure
{
    double nsPerFrame = 0.0;
    long heapCalls = 0;
};

Figure measure (Signal& signal, int blockSize)
{
    QuillornAudioProcessor processor;
    SignalPlayer player (processor, signal, blockSize);
    const auto blocksPerRun = framesPerRun / blockSize;

    for (int i = 0; i < Signal::length / blockSize; ++i)
        player.processBlock();

    Figure figure { 1.0e9, 0 };

    for (int run = 0; run < runsPerFigure; ++run)
    {
        heapCalls = 0;
        const auto start = Clock::now();

        {
            const HeapCallCount counting;

            for (int i = 0; i < blocksPerRun; ++i)
                player.processBlock();
        }

        const std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
        figure.nsPerFrame = std::min (figure.nsPerFrame, elapsed.count() / framesPerRun);
        figure.heapCalls += heapCalls;
    }

    return figure;
}

void printCostTable (std::vector<Signal>& signals)
{
    std::printf ("processBlock: ns per stereo frame, best of %d runs of %d frames\n", runsPerFigure, framesPerRun);
    std::printf ("%-16s", "signal \\ block");

    for (const auto size : blockSizes)
        std::printf ("%9d", size);

    std::printf ("%10s %11s %12s\n", "captures", "heap calls", "per capture");

    for (auto& signal : signals)
    {
        std::printf ("%-16s", signal.name);
        long calls = 0;

        for (const auto size : blockSizes)
        {
            const auto figure = measure (signal, size);
            std::printf ("%9.2f", figure.nsPerFrame);
            calls += figure.heapCalls;
        }

        const auto frames = (double) framesPerRun * runsPerFigure * (double) blockSizes.size();
        const auto captures = signal.samplesPerCapture > 0 ? frames / signal.samplesPerCapture : 0.0;

        if (canCountHeapCalls)
            std::printf ("%10.0f %11ld %12.1f\n", captures, calls, captures > 0 ? (double) calls / captures : 0.0);
        else
            std::printf ("%10.0f %11s %12s\n", captures, "n/a", "n/a");
    }
}

//==============================================================================
/** Block times of an audio thread that plays a signal for a while. */
struct BlockTimes
{
    std::vector<double> ns;
    long heapCalls = 0;
};

constexpr int worstCaseBlockSize = 512;
constexpr int worstCaseMilliseconds = 2000;

BlockTimes timeBlocks (QuillornAudioProcessor& processor, Signal& signal, std::atomic<bool>& running)
{
    BlockTimes times;
    times.ns.reserve (4'000'000);
    SignalPlayer player (processor, signal, worstCaseBlockSize);
    const auto end = Clock::now() + std::chrono::milliseconds (worstCaseMilliseconds);

    {
        const HeapCallCount counting;

        for (auto now = Clock::now(); now < end && times.ns.size() < times.ns.capacity();)
        {
            player.processBlock();
            const auto after = Clock::now();
            times.ns.push_back (std::chrono::duration<double, std::nano> (after - now).count());
            now = after;
        }

        times.heapCalls = heapCalls;
    }

    running = false;
    return times;
}

/** What the message thread does while the audio thread plays. */
enum class MessageThread { idle, editorPainting, readingWithoutPause };

const char* describe (MessageThread m)
{
    switch (m)
    {
        case MessageThread::idle:                 return "idle";
        case MessageThread::editorPainting:       return "editor painting";
        case MessageThread::readingWithoutPause:  return "reading unpaced";
    }

    return "";
}

/** Plays the signal on an audio thread while this, the message thread, does as asked;
    returns the block times and the number of paints or reads.
*/
std::pair<BlockTimes, int> runAudioThread (Signal& signal, MessageThread messageThread)
{
    QuillornAudioProcessor processor;
    std::atomic<bool> running { true };
    BlockTimes times;

    std::thread audio ([&] { times = timeBlocks (processor, signal, running); });

    auto count = 0;

    if (messageThread == MessageThread::editorPainting)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
        juce::Image image (juce::Image::ARGB, editor->getWidth(), editor->getHeight(), true);

        while (running)
        {
            runMessageLoopFor (1);
            juce::Graphics g (image);
            editor->paintEntireComponent (g, true);
            ++count;
        }
    }
    else if (messageThread == MessageThread::readingWithoutPause)
    {
        QuillornAudioProcessor::CaptureSnapshot snapshot;

        while (running)
            count += processor.readCapture (snapshot) ? 1 : 0;
    }

    audio.join();
    return { std::move (times), count };
}

void printWorstBlockTable (Signal& signal)
{
    std::printf ("\n%d-frame blocks of '%s' on an audio thread for %d ms\n",
                 worstCaseBlockSize, signal.name, worstCaseMilliseconds);
    std::printf ("%-16s %9s %9s %10s %10s %11s %9s\n",
                 "message thread", "blocks", "mean ns", "p99.9 ns", "worst ns", "heap calls", "paints or reads");

    // Alternating rounds, so that a busy spell of the machine shows as such.
    for (int round = 0; round < 2; ++round)
    {
        for (const auto messageThread : { MessageThread::idle, MessageThread::editorPainting, MessageThread::readingWithoutPause })
        {
            auto [times, count] = runAudioThread (signal, messageThread);
            auto& ns = times.ns;
            std::sort (ns.begin(), ns.end());
            double total = 0.0;

            for (const auto t : ns)
                total += t;

            std::printf ("%-16s %9zu %9.0f %10.0f %10.0f", describe (messageThread),
                         ns.size(), total / (double) ns.size(), ns[ns.size() * 999 / 1000], ns.back());

            if (canCountHeapCalls)
                std::printf (" %11ld %9d\n", times.heapCalls, count);
            else
                std::printf (" %11s %9d\n", "n/a", count);
        }
    }
}
} // namespace

//==============================================================================
int main()
{
    const juce::ScopedJuceInitialiser_GUI juce;
    auto signals = makeSignals();

    printCostTable (signals);
    printWorstBlockTable (signals.back());
    return 0;
}
