#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file written under a temporary name beside its destination and moved
// into place only when complete: a run that fails leaves whatever was at the
// destination untouched and no partial file behind.
class OutputFile {
 public:
  explicit OutputFile(std::string path) : path_(std::move(path)) {}
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file; false with the reason in error.
  bool Create(std::string& error);
  // Where the content goes until Commit.
  const std::string& TemporaryPath() const { return temporary_; }
  // Moves the written file to its destination; false with the reason.
  bool Commit(std::string& error);

 private:
  std::string path_;
  std::string temporary_;
};

// Writes an 8-bit RGB PNG from pixels of width * 3 bytes per row, bottom
// row first as OpenGL reads them back. False with the reason in error.
bool WritePng(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& pixels, std::string& error);
