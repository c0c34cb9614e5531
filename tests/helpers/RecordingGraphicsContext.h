#pragma once

#include <juce_graphics/juce_graphics.h>

#include <iomanip>
#include <sstream>
#include <vector>

/** A graphics context that draws nothing and logs what reaches it, one line per call,
    in the terms a paint routine uses: colours and fonts set, areas filled and outlined,
    lines with their end points and thickness, and texts with the fill and font in
    effect. It records a component's paint() called directly, without an origin or a clip.

    Text reaches a low-level context only as glyph numbers; they are read back as
    characters through the font's own character map, so a log line shows the text.
    Anything else that reaches the context is logged by name, so that no call passes
    unnoticed.
*/
class RecordingGraphicsContext final : public juce::LowLevelGraphicsContext
{
public:
    struct Text
    {
        juce::Font font;
        juce::String characters;
        std::vector<juce::Point<float>> positions;
    };

    explicit RecordingGraphicsContext (juce::Rectangle<int> areaToRecord)
        : clip (areaToRecord) {}

    /** The calls received so far, in order, each as one line such as
        "line ffff0000 45 600 46 600 2".
    */
    std::vector<std::string> calls;

    /** The texts received so far, in order, with their glyph positions. */
    std::vector<Text> texts;

    //==============================================================================
    bool isVectorDevice() const override                          { return false; }
    void setOrigin (juce::Point<int>) override                    { log ("setOrigin"); }
    void addTransform (const juce::AffineTransform&) override     { log ("addTransform"); }
    float getPhysicalPixelScaleFactor() const override            { return 1.0f; }

    // Clipping is logged but not applied: the clip stays the whole recorded area.
    bool clipToRectangle (const juce::Rectangle<int>&) override           { log ("clipToRectangle"); return true; }
    bool clipToRectangleList (const juce::RectangleList<int>&) override   { log ("clipToRectangleList"); return true; }
    void excludeClipRectangle (const juce::Rectangle<int>&) override      { log ("excludeClipRectangle"); }
    void clipToPath (const juce::Path&, const juce::AffineTransform&) override        { log ("clipToPath"); }
    void clipToImageAlpha (const juce::Image&, const juce::AffineTransform&) override { log ("clipToImageAlpha"); }
    bool clipRegionIntersects (const juce::Rectangle<int>& r) override    { return clip.intersects (r); }
    juce::Rectangle<int> getClipBounds() const override                   { return clip; }
    bool isClipEmpty() const override                                     { return clip.isEmpty(); }

    void saveState() override     { savedStates.push_back (state); }
    void restoreState() override  { state = savedStates.back(); savedStates.pop_back(); }

    void beginTransparencyLayer (float) override  { log ("beginTransparencyLayer"); }
    void endTransparencyLayer() override          { log ("endTransparencyLayer"); }

    //==============================================================================
    void setFill (const juce::FillType& fill) override
    {
        state.colour = fill.colour;
        log ("colour " + hex (fill.colour));
    }

    void setOpacity (float) override                                          { log ("setOpacity"); }
    void setInterpolationQuality (juce::Graphics::ResamplingQuality) override {}

    //==============================================================================
    void fillAll() override                                         { log ("fillAll " + hex (state.colour)); }
    void fillRect (const juce::Rectangle<int>& r, bool) override    { log ("fillRect " + hex (state.colour) + " " + describe (r.toFloat())); }
    void fillRect (const juce::Rectangle<float>& r) override        { log ("fillRect " + hex (state.colour) + " " + describe (r)); }
    void fillRectList (const juce::RectangleList<float>&) override  { log ("fillRectList"); }
    void fillPath (const juce::Path&, const juce::AffineTransform&) override { log ("fillPath"); }
    void strokePath (const juce::Path&, const juce::PathStrokeType&, const juce::AffineTransform&) override { log ("strokePath"); }

    void drawRect (const juce::Rectangle<float>& r, float thickness) override
    {
        log ("drawRect " + hex (state.colour) + " " + describe (r) + " " + number (thickness));
    }

    void drawImage (const juce::Image&, const juce::AffineTransform&) override  { log ("drawImage"); }
    void drawLine (const juce::Line<float>&) override                          { log ("drawLine without thickness"); }

    void drawLineWithThickness (const juce::Line<float>& line, float thickness) override
    {
        log ("line " + hex (state.colour) + " " + number (line.getStartX()) + " " + number (line.getStartY())
             + " " + number (line.getEndX()) + " " + number (line.getEndY()) + " " + number (thickness));
    }

    // Text drawing sets the font again before its glyphs, so only a change is logged.
    void setFont (const juce::Font& f) override
    {
        if (f != state.font)
            log ("font " + number (f.getHeight()));

        state.font = f;
    }

    const juce::Font& getFont() override          { return state.font; }

    void drawGlyphs (juce::Span<const uint16_t> glyphs,
                     juce::Span<const juce::Point<float>> positions,
                     const juce::AffineTransform& t) override
    {
        Text text { state.font, {}, {} };

        for (size_t i = 0; i < glyphs.size(); ++i)
        {
            text.characters << juce::String::charToString (characterOf (glyphs[i]));
            text.positions.push_back (positions[i].transformedBy (t));
        }

        log ("text " + hex (state.colour) + " " + number (state.font.getHeight()) + " " + text.characters.toStdString());
        texts.push_back (std::move (text));
    }

    uint64_t getFrameId() const override  { return 0; }

private:
    struct State
    {
        juce::Colour colour;
        juce::Font font { juce::FontOptions{} };
    };

    void log (const std::string& call)  { calls.push_back (call); }

    // Printable ASCII is all the texts under test use; a glyph outside it reads as '?'.
    juce::juce_wchar characterOf (uint16_t glyph) const
    {
        const auto typeface = state.font.getTypefacePtr();

        for (juce::juce_wchar c = 32; c < 127; ++c)
            if (typeface->getNominalGlyphForCodepoint (c) == std::optional<uint32_t> (glyph))
                return c;

        return '?';
    }

    static std::string hex (juce::Colour c)  { return c.toString().toStdString(); }

    // Nine significant digits tell any two floats apart, so a value off by one unit
    // in the last place shows.
    static std::string number (float value)
    {
        std::ostringstream out;
        out << std::setprecision (9) << value;
        return out.str();
    }

    static std::string describe (juce::Rectangle<float> r)
    {
        return number (r.getX()) + " " + number (r.getY()) + " " + number (r.getWidth()) + " " + number (r.getHeight());
    }

    juce::Rectangle<int> clip;
    State state;
    std::vector<State> savedStates;
};
