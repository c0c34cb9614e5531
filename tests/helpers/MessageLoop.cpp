#include "MessageLoop.h"

#include <juce_events/juce_events.h>

namespace juce::detail
{
    // Defined by juce_events for each platform; it is what the framework's own
    // plug-in message thread runs on Linux.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

void runMessageLoopFor (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

    while (juce::Time::getMillisecondCounter() < end)
        if (! juce::detail::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
}
