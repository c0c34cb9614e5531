#pragma once

/** Runs the JUCE message loop on the calling (message) thread for a while, so that
    timers fire and posted messages are delivered.
*/
void runMessageLoopFor (int milliseconds);
