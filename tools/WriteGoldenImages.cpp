// Renders every capture of the scope's golden set as the Linux window peer would and
// writes it as <name>.png into the given folder.
//
// Usage: write_golden_images <folder>

#include "PluginEditor.h"
#include "helpers/Images.h"
#include "helpers/PeerRenderer.h"
#include "helpers/ScopeCaptures.h"

#include <cstdio>

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juce;
    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);

    if (! folder.createDirectory())
    {
        std::fprintf (stderr, "cannot create %s\n", folder.getFullPathName().toRawUTF8());
        return 1;
    }

    for (const auto& capture : scopeCaptures())
    {
        ProcessorDriver d;
        capture.feed (d);
        QuillornAudioProcessorEditor editor (d.processor);
        PeerRenderer renderer (editor);

        const auto file = folder.getChildFile (capture.name + ".png");

        if (! saveAsPng (renderer.paint(), file))
        {
            std::fprintf (stderr, "cannot write %s\n", file.getFullPathName().toRawUTF8());
            return 1;
        }

        std::printf ("wrote %s\n", file.getFullPathName().toRawUTF8());
    }

    return 0;
}
