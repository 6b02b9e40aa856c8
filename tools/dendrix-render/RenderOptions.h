#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "geometry/Vec3.h"

// What dendrix-render is asked to draw and where it writes it.
struct RenderOptions {
  static constexpr int kMaxSide = 8192;
  static constexpr int kMaxDemoSteps = 9;

  std::string out;  // .bmp: a 24-bit BMP; any other name: PNG
  int width = 900;
  int height = 700;
  std::vector<Vec3> stroke;  // explicit stroke points; empty: the demo stroke
  int demoSteps = kMaxDemoSteps;
  bool straightDemo = false;
  bool polygonMode = true;
  bool lighting = true;
  bool reference = false;  // draw with the reference renderer
  std::optional<std::array<bool, 4>> handles;  // unset: the rule's defaults
  std::string osc;  // an OSC script replayed before drawing, "-" for standard input
  bool help = false;
};

// Parses the arguments after the program name into options. On bad
// arguments returns false with a one-line message in error.
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error);

// The --help text.
std::string RenderUsage();

// Whether path names a BMP file (ends in ".bmp", any case).
bool IsBitmapPath(const std::string& path);
