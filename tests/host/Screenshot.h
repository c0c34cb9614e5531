#pragma once

#include <cstdint>
#include <string>
#include <vector>

/** The pixels of a window as 0xRRGGBB values, row by row from the top left. */
struct Screenshot
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at (int x, int y) const   { return pixels[(size_t) (y * width + x)]; }

    /** Writes an 8-bit RGB PNG; returns false when the file cannot be written. */
    bool writePng (const std::string& path) const;
};
