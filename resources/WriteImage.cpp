// Writes one of the program's pictures as a PNG file, for installation (the
// icon) and for looking at them (the toolbar strip):
//   dendrix-write-image icon SIZE FILE
//   dendrix-write-image toolbar FILE

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Images.h"

namespace {

bool WritePng(const char* path, const RgbaImage& image) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) {
    std::fprintf(stderr, "dendrix-write-image: cannot write %s: %s\n", path, std::strerror(errno));
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info;
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
      png_write_row(png, &image.pixels[static_cast<std::size_t>(y) * image.width * 4]);
    }
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "dendrix-write-image: writing %s failed\n", path);
  return ok;
}

RgbaImage FromIndexed(const IndexedImage& indexed) {
  RgbaImage image;
  image.width = indexed.width;
  image.height = indexed.height;
  image.pixels.reserve(indexed.pixels.size() * 4);
  for (std::uint8_t index : indexed.pixels) {
    const Rgb& colour = ToolbarPalette()[index];
    image.pixels.insert(image.pixels.end(), {colour.r, colour.g, colour.b, 255});
  }
  return image;
}

int Usage() {
  std::fprintf(stderr,
               "usage: dendrix-write-image icon SIZE FILE\n"
               "       dendrix-write-image toolbar FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "icon") == 0) {
    char* end = nullptr;
    const long size = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || size < 1 || size > 1024) return Usage();
    return WritePng(argv[3], ApplicationIcon(static_cast<int>(size))) ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "toolbar") == 0) {
    return WritePng(argv[2], FromIndexed(ToolbarStrip())) ? 0 : 1;
  }
  return Usage();
}
