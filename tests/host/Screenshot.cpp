#include "Screenshot.h"

#include <cstdio>
#include <memory>
#include <png.h>

bool Screenshot::writePng (const std::string& path) const
{
    const std::unique_ptr<FILE, decltype (&std::fclose)> file (std::fopen (path.c_str(), "wb"), &std::fclose);

    if (file == nullptr)
        return false;

    auto* png = png_create_write_struct (PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    auto* info = png != nullptr ? png_create_info_struct (png) : nullptr;

    // libpng reports errors by a longjmp back to the setjmp below, so everything that
    // needs a destructor is made before it.
    std::vector<png_byte> row ((size_t) width * 3);

    if (info == nullptr || setjmp (png_jmpbuf (png)) != 0)
    {
        png_destroy_write_struct (&png, &info);
        return false;
    }

    png_init_io (png, file.get());
    png_set_IHDR (png, info, (png_uint_32) width, (png_uint_32) height, 8, PNG_COLOR_TYPE_RGB,
                  PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info (png, info);

    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const auto rgb = at (x, y);
            row[(size_t) x * 3]     = (png_byte) (rgb >> 16);
            row[(size_t) x * 3 + 1] = (png_byte) (rgb >> 8);
            row[(size_t) x * 3 + 2] = (png_byte) rgb;
        }

        png_write_row (png, row.data());
    }

    png_write_end (png, nullptr);
    png_destroy_write_struct (&png, &info);
    return true;
}
