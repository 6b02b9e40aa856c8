#include "remote/OscChecks.h"

#include <oscpack/osc/OscReceivedElements.h>

#include <cstdint>
#include <cstring>

namespace {

// "#bundle" and its terminating zero, then the 8-byte time tag.
constexpr std::int64_t kBundleHeaderSize = 16;

std::int64_t ReadInt32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::int32_t>((std::uint32_t(u[0]) << 24) | (std::uint32_t(u[1]) << 16) |
                                   (std::uint32_t(u[2]) << 8) | std::uint32_t(u[3]));
}

std::int64_t RoundUp4(std::int64_t n) { return (n + 3) & ~std::int64_t(3); }

[[noreturn]] void Malformed(const char* why) { throw osc::MalformedMessageException(why); }

// The offset just past the string at offset, its terminating zero and the
// padding up to the next multiple of 4; -1 when it is not terminated inside
// size bytes. Padding that is not zero is malformed.
std::int64_t SkipString(const char* data, std::int64_t offset, std::int64_t size) {
  const void* zero = std::memchr(data + offset, '\0', static_cast<std::size_t>(size - offset));
  if (!zero) return -1;
  std::int64_t end = static_cast<const char*>(zero) - data + 1;
  const std::int64_t padded = RoundUp4(end);
  if (padded > size) return -1;
  for (; end < padded; ++end) {
    if (data[end] != '\0') Malformed("string padding is not zero");
  }
  return padded;
}

}  // namespace

void CheckBundleBeforeOpening(const char* data, int size) {
  if (size < kBundleHeaderSize || std::memcmp(data, "#bundle", 8) != 0) return;
  for (std::int64_t offset = kBundleHeaderSize; size - offset >= 4;) {
    const std::int64_t elementSize = ReadInt32(data + offset);
    if (elementSize < 0) throw osc::MalformedBundleException("negative bundle element size");
    offset += 4 + elementSize;
  }
}

void CheckMessageBeforeOpening(const char* data, int size) {
  if (size <= 0) return;
  // An address whose first byte is zero is a 4-byte integer (SuperCollider's
  // extension), which oscpack accepts as such.
  std::int64_t offset = data[0] == '\0' ? 4 : SkipString(data, 0, size);
  if (offset < 0 || offset >= size || data[offset] != ',' || data[offset + 1] == '\0') return;
  const char* tag = data + offset + 1;
  offset = SkipString(data, offset, size);
  if (offset < 0) return;
  for (; *tag; ++tag) {
    switch (*tag) {
      case 'i': case 'f': case 'c': case 'r': case 'm':
        offset += 4;
        break;
      case 'h': case 't': case 'd':
        offset += 8;
        break;
      case 's': case 'S':
        offset = offset < size ? SkipString(data, offset, size) : -1;
        break;
      case 'b':
        if (size - offset < 4) {
          offset = -1;
        } else {
          const std::int64_t blobSize = ReadInt32(data + offset);
          if (blobSize < 0) Malformed("negative blob size");
          offset += 4 + RoundUp4(blobSize);
        }
        break;
      case 'T': case 'F': case 'N': case 'I': case '[': case ']':
        break;  // no bytes of their own
      default:
        return;  // oscpack rejects the unknown tag itself
    }
    if (offset < 0 || offset > size) Malformed("arguments reach past the end of the message");
  }
}
