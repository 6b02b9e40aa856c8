#include "Images.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

// ---- toolbar strip --------------------------------------------------------

enum Colour : std::uint8_t {
  kBlack = 0,
  kMaroon = 1,
  kGreen = 2,
  kOlive = 3,
  kTeal = 6,
  kSilver = 7,
  kGrey = 8,
  kLime = 10,
  kYellow = 11,
  kAqua = 14,
};

// A pixel font, 5 rows high and mostly 3 columns wide, with the letters the
// button labels need; 'X' is ink.
struct Glyph {
  char letter;
  const char* rows[5];
};

constexpr Glyph kFont[] = {
    {'#', {".X.X.", "XXXXX", ".X.X.", "XXXXX", ".X.X."}}, {'1', {".X.", "XX.", ".X.", ".X.", "XXX"}},
    {'2', {"XX.", "..X", ".X.", "X..", "XXX"}}, {'3', {"XX.", "..X", ".X.", "..X", "XX."}},
    {'4', {"X.X", "X.X", "XXX", "..X", "..X"}}, {'T', {"XXX", ".X.", ".X.", ".X.", ".X."}},
    {'P', {"XX.", "X.X", "XX.", "X..", "X.."}}, {'B', {"XX.", "X.X", "XX.", "X.X", "XX."}},
    {'r', {"...", "X.X", "XX.", "X..", "X.."}}, {'e', {".X.", "X.X", "XXX", "X..", ".XX"}},
    {'o', {"...", ".X.", "X.X", "X.X", ".X."}}, {'l', {"X..", "X..", "X..", "X..", ".XX"}},
    {'y', {"...", "X.X", ".XX", "..X", "XX."}}, {'-', {"...", "...", "XXX", "...", "..."}},
    {'g', {".XX", "X.X", ".XX", "..X", "XX."}}, {'n', {"...", "XX.", "X.X", "X.X", "X.X"}},
    {'f', {".XX", "X..", "XXX", "X..", "X.."}}, {'a', {"...", ".XX", "X.X", "X.X", ".XX"}},
    {'c', {"...", ".XX", "X..", "X..", ".XX"}},
};

constexpr int kGlyphHeight = 5;

int GlyphWidth(const Glyph& glyph) { return static_cast<int>(std::strlen(glyph.rows[0])); }

const Glyph* FindGlyph(char letter) {
  for (const Glyph& glyph : kFont) {
    if (glyph.letter == letter) return &glyph;
  }
  return nullptr;
}

// Draws into one 25 x 25 cell of the strip; coordinates outside the cell
// are clipped.
class Cell {
 public:
  Cell(IndexedImage& strip, int index) : strip_(strip), left_(index * kToolbarButtonSize) {}

  void Pixel(int x, int y, std::uint8_t colour) {
    if (x < 0 || y < 0 || x >= kToolbarButtonSize || y >= kToolbarButtonSize) return;
    strip_.pixels[static_cast<std::size_t>(y) * strip_.width + left_ + x] = colour;
  }

  void Fill(int x0, int y0, int x1, int y1, std::uint8_t colour) {
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) Pixel(x, y, colour);
    }
  }

  // A filled rectangle with a black frame.
  void Swatch(int x0, int y0, int x1, int y1, std::uint8_t colour) {
    Fill(x0, y0, x1, y1, kBlack);
    Fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, colour);
  }

  void Line(int x0, int y0, int x1, int y1, std::uint8_t colour) {
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int i = 0; i <= steps; ++i) {
      const double t = steps == 0 ? 0.0 : static_cast<double>(i) / steps;
      Pixel(static_cast<int>(std::lround(x0 + t * (x1 - x0))),
            static_cast<int>(std::lround(y0 + t * (y1 - y0))), colour);
    }
  }

  // Glyphs are one column apart.
  static int TextWidth(std::string_view text, int scale) {
    int width = -1;
    for (char letter : text) {
      if (const Glyph* glyph = FindGlyph(letter)) width += GlyphWidth(*glyph) + 1;
    }
    return std::max(width, 0) * scale;
  }

  // One line of text centred horizontally in the cell, its top at row y.
  void Text(std::string_view text, int y, int scale = 1) {
    int x = (kToolbarButtonSize - TextWidth(text, scale)) / 2;
    for (char letter : text) {
      const Glyph* glyph = FindGlyph(letter);
      if (!glyph) continue;
      const int width = GlyphWidth(*glyph);
      for (int row = 0; row < kGlyphHeight; ++row) {
        for (int column = 0; column < width; ++column) {
          if (glyph->rows[row][column] != 'X') continue;
          Fill(x + column * scale, y + row * scale, x + (column + 1) * scale - 1,
               y + (row + 1) * scale - 1, kBlack);
        }
      }
      x += (width + 1) * scale;
    }
  }

 private:
  IndexedImage& strip_;
  int left_;
};

// A branch handle button: its number large, under it a trunk with one side
// branch leaning the way of that handle.
void DrawHandleButton(Cell cell, char number, int branchDx, int branchDy) {
  const char label[] = {'#', number};
  cell.Text(std::string_view(label, 2), 2, 2);
  cell.Line(12, 23, 12, 15, kOlive);
  cell.Line(13, 23, 13, 15, kOlive);
  cell.Line(12, 19, 12 + branchDx, 19 + branchDy, kTeal);
  cell.Line(13, 19, 13 + branchDx, 19 + branchDy, kAqua);
}

// ---- icon -----------------------------------------------------------------

struct Point {
  double x, y;
};

struct Capsule {
  Point a, b;
  double radius;
};

double DistanceToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  double t = lengthSquared > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// The icon's tree in unit coordinates (y downwards): branches split in two
// at every node, leaves sit at the tips.
void GrowIconTree(Point base, double angle, double length, double radius, int depth,
                  std::vector<Capsule>& branches, std::vector<Point>& leaves) {
  const Point tip{base.x + length * std::sin(angle), base.y - length * std::cos(angle)};
  branches.push_back({base, tip, radius});
  if (depth == 0) {
    leaves.push_back(tip);
    return;
  }
  GrowIconTree(tip, angle - 0.55, length * 0.68, radius * 0.7, depth - 1, branches, leaves);
  GrowIconTree(tip, angle + 0.45, length * 0.72, radius * 0.7, depth - 1, branches, leaves);
}

}  // namespace

const std::array<Rgb, 16>& ToolbarPalette() {
  static const std::array<Rgb, 16> palette = {{{0, 0, 0},
                                               {128, 0, 0},
                                               {0, 128, 0},
                                               {128, 128, 0},
                                               {0, 0, 128},
                                               {128, 0, 128},
                                               {0, 128, 128},
                                               {192, 192, 192},
                                               {128, 128, 128},
                                               {255, 0, 0},
                                               {0, 255, 0},
                                               {255, 255, 0},
                                               {0, 0, 255},
                                               {255, 0, 255},
                                               {0, 255, 255},
                                               {255, 255, 255}}};
  return palette;
}

IndexedImage ToolbarStrip() {
  IndexedImage strip;
  strip.width = kToolbarButtonSize * kToolbarImageCount;
  strip.height = kToolbarButtonSize;
  strip.pixels.assign(static_cast<std::size_t>(strip.width) * strip.height, kToolbarBackground);

  DrawHandleButton(Cell(strip, 0), '1', 6, -4);
  DrawHandleButton(Cell(strip, 1), '2', -6, -4);
  DrawHandleButton(Cell(strip, 2), '3', 6, 1);
  DrawHandleButton(Cell(strip, 3), '4', -6, 1);

  Cell tree(strip, 4);
  tree.Fill(11, 9, 13, 15, kMaroon);
  for (int y = 1; y <= 11; ++y) {
    for (int x = 6; x <= 18; ++x) {
      if ((x - 12) * (x - 12) + (y - 6) * (y - 6) <= 26) tree.Pixel(x, y, kGreen);
    }
  }
  tree.Text("Tree", 18);

  Cell polygon(strip, 5);
  polygon.Text("Poly-", 1);
  polygon.Text("gon", 7);
  polygon.Swatch(8, 14, 16, 23, kYellow);
  polygon.Line(9, 15, 15, 22, kGrey);

  Cell leaf(strip, 6);
  leaf.Swatch(4, 1, 20, 9, kLime);
  leaf.Text("leaf", 12);
  leaf.Text("color", 18);

  Cell bark(strip, 7);
  bark.Swatch(4, 1, 20, 9, kMaroon);
  bark.Text("Bar", 12);
  bark.Text("color", 18);
  return strip;
}

RgbaImage ApplicationIcon(int size) {
  RgbaImage icon;
  icon.width = icon.height = std::max(size, 1);
  icon.pixels.assign(static_cast<std::size_t>(icon.width) * icon.height * 4, 0);

  std::vector<Capsule> branches;
  std::vector<Point> leaves;
  GrowIconTree({0.5, 0.86}, 0.0, 0.27, 0.05, 4, branches, leaves);

  const Rgb plate{28, 44, 78}, bark{196, 160, 92}, leaf{116, 204, 64};
  constexpr int kSamples = 4;  // per axis, for smooth edges
  for (int py = 0; py < icon.height; ++py) {
    for (int px = 0; px < icon.width; ++px) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Point p{(px + (sx + 0.5) / kSamples) / icon.width,
                        (py + (sy + 0.5) / kSamples) / icon.height};
          const Rgb* colour = nullptr;
          if (std::hypot(p.x - 0.5, p.y - 0.5) <= 0.48) colour = &plate;
          for (const Capsule& c : branches) {
            if (DistanceToSegment(p, c.a, c.b) <= c.radius) colour = &bark;
          }
          for (const Point& l : leaves) {
            if (std::hypot(p.x - l.x, p.y - l.y) <= 0.055) colour = &leaf;
          }
          if (!colour) continue;
          r += colour->r;
          g += colour->g;
          b += colour->b;
          a += 1.0;
        }
      }
      std::uint8_t* out = &icon.pixels[(static_cast<std::size_t>(py) * icon.width + px) * 4];
      if (a > 0) {
        out[0] = static_cast<std::uint8_t>(std::lround(r / a));
        out[1] = static_cast<std::uint8_t>(std::lround(g / a));
        out[2] = static_cast<std::uint8_t>(std::lround(b / a));
        out[3] = static_cast<std::uint8_t>(std::lround(255.0 * a / (kSamples * kSamples)));
      }
    }
  }
  return icon;
}
