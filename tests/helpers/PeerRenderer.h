#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Paints a component the way JUCE's Linux window peer paints a window: into an ARGB
    image of the component's size that is cleared before each paint, through the
    look-and-feel's software renderer with the repaint area as its clip, and under the
    peer's scale transform (1 on an unscaled display). What the X server then does with
    the image is left out.
*/
class PeerRenderer final
{
public:
    explicit PeerRenderer (juce::Component&);

    /** Paints the whole component and returns the image, which the next paint reuses. */
    const juce::Image& paint();

private:
    juce::Component& component;
    juce::Image image;
};
