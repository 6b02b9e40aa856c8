#include "OutputFile.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

OutputFile::~OutputFile() {
  if (!temporary_.empty()) std::remove(temporary_.c_str());
}

bool OutputFile::Create(std::string& error) {
  struct stat info;
  if (stat(path_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    error = "cannot write " + path_ + ": it is a directory";
    return false;
  }
  std::string name = path_ + ".XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    error = "cannot write " + path_ + ": " + std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; give it the mode a new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  temporary_ = name;
  return true;
}

bool OutputFile::Commit(std::string& error) {
  if (temporary_.empty() || std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    error = "cannot write " + path_ + ": " + std::strerror(errno);
    return false;
  }
  temporary_.clear();
  return true;
}

namespace {

// libpng reports errors by a long jump; the message is kept for the caller.
void OnPngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The encoding itself; libpng's errors land back here through setjmp.
bool EncodePng(png_structp png, png_infop info, std::FILE* file, int width, int height,
               const std::vector<std::uint8_t>& pixels) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // PNG stores the top row first.
  for (int y = height - 1; y >= 0; --y) {
    png_write_row(png, pixels.data() + static_cast<std::size_t>(y) * width * 3);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& pixels, std::string& error) {
  if (pixels.size() != static_cast<std::size_t>(width) * height * 3) {
    error = "cannot write " + path + ": the picture has the wrong size";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string pngError = "out of memory";
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngError, OnPngError, OnPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool encoded = info && EncodePng(png, info, file, width, height, pixels);
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  // Closing flushes the last bytes, so its failure is a failed write too.
  const int closeErrno = std::fclose(file) == 0 ? 0 : errno;
  if (!encoded || closeErrno) {
    error = "cannot write " + path + ": " + (encoded ? std::strerror(closeErrno) : pngError);
    return false;
  }
  return true;
}
