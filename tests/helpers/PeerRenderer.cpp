#include "PeerRenderer.h"

PeerRenderer::PeerRenderer (juce::Component& c)
    : component (c),
      image (juce::Image::ARGB, c.getWidth(), c.getHeight(), true)
{
}

const juce::Image& PeerRenderer::paint()
{
    const auto area = component.getLocalBounds();
    image.clear (area);

    const auto context = component.getLookAndFeel().createGraphicsContext (image, {}, juce::RectangleList<int> (area));
    context->addTransform (juce::AffineTransform::scale (1.0f));

    juce::Graphics g (*context);
    component.paintEntireComponent (g, true);
    return image;
}
