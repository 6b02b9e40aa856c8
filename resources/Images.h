#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The program's pictures, drawn by code: the toolbar's button strip and the
// application icon. Plain pixel arrays, so that the desktop program and the
// build-time icon writer share one drawing.

struct Rgb {
  std::uint8_t r, g, b;
};

// The 16 colours of the toolbar strip, in the order of the classic 4-bit
// palette: black, maroon, green, olive, navy, purple, teal, silver, grey,
// red, lime, yellow, blue, fuchsia, aqua, white.
const std::array<Rgb, 16>& ToolbarPalette();

// The palette index the toolbar treats as transparent (the button face).
constexpr std::uint8_t kToolbarBackground = 7;

// One palette index per pixel, rows from the top.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// Straight RGBA pixels, rows from the top.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // r, g, b, a per pixel
};

// Toolbar bitmap 128: one 200 x 25 strip of eight 25 x 25 button images,
// labelled "#1", "#2", "#3", "#4", "Tree", "Poly-gon", "leaf color" and
// "Bar color", in that order.
constexpr int kToolbarButtonSize = 25;
constexpr int kToolbarImageCount = 8;
IndexedImage ToolbarStrip();

// Icon 128, a small tree on a round plate, size x size pixels.
RgbaImage ApplicationIcon(int size);
