#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Stands in for a component's cached image to count the repaints asked of it,
    without a window or a renderer.
*/
struct RepaintCounter final : juce::CachedComponentImage
{
    int wholeRepaints = 0;
    int partialRepaints = 0;

    void paint (juce::Graphics&) override {}
    bool invalidateAll() override                        { ++wholeRepaints; return true; }
    bool invalidate (const juce::Rectangle<int>&) override { ++partialRepaints; return true; }
    void releaseResources() override {}

    /** Installs a counter on a visible component, which owns it; installing it is
        itself not counted.
    */
    static RepaintCounter& attachTo (juce::Component& component)
    {
        auto* counter = new RepaintCounter();
        component.setVisible (true);
        component.setCachedComponentImage (counter);
        counter->wholeRepaints = counter->partialRepaints = 0;
        return *counter;
    }
};
