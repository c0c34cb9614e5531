#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Every test runs on the JUCE message thread, as the framework's callbacks do in a host.
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
