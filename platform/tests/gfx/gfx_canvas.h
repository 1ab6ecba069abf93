// Test helper for the drawing layer: a white image with a window context on it,
// freed at the end of the test, with pixel reads by device coordinates.
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"

namespace ql::gfx::testing {

class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        image_ = CreateImageBitmap(width, height);
        dc_ = CreateWindowContext(image_);
    }
    ~Canvas() {
        DeleteContext(dc_);
        DeleteObject(image_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    DcHandle dc() const { return dc_; }
    BitmapHandle image() const { return image_; }
    Colour At(int x, int y) const { return GetBitmapPixel(image_, x, y); }
    std::vector<Colour> Pixels() const { return ReadBitmapPixels(image_); }
    void Fill(Colour c) const {
        BrushHandle b = CreateSolidBrush(c);
        FillRect(dc_, Rect{-100000, -100000, 100000, 100000}, b);
        DeleteObject(b);
    }
    // Device pixels of colour `c`, as "x,y" strings in row order.
    std::vector<std::string> PixelsOf(Colour c) const {
        std::vector<std::string> out;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) == c) out.push_back(std::to_string(x) + "," + std::to_string(y));
        return out;
    }
    int CountOf(Colour c) const { return static_cast<int>(PixelsOf(c).size()); }

private:
    int width_;
    int height_;
    BitmapHandle image_;
    DcHandle dc_;
};

}  // namespace ql::gfx::testing
