#pragma once

#include "ProcessorDriver.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

/** A capture as the scope shows it: a name, usable as a file name, and the blocks that
    bring a new processor to it.
*/
struct ScopeCapture
{
    std::string name;
    std::function<void (ProcessorDriver&)> feed;
};

inline void PrintTo (const ScopeCapture& capture, std::ostream* os)  { *os << capture.name; }

/** Everyday and worst-case captures whose points all lie in the range the window shows
    (0 to 1.25): an empty view, steady levels, sines from 100 Hz to 10 kHz at 48 kHz,
    noise, points alternating between 1.0 and 0.0, a mono layout and points at exactly
    1.25, the window's top edge. Each capture holds 1500 points per channel.
*/
const std::vector<ScopeCapture>& scopeCaptures();

/** Captures whose points alternate between 0.5 and a point above the window: just above
    it (1.3), far above it (1e7 and the largest float) and infinitely far (+Inf).
*/
const std::vector<ScopeCapture>& farOffCaptures();
