// Writes 24-bit RGB images as PNG files, without a compression library: the
// image data goes into stored (uncompressed) deflate blocks, which every PNG
// reader accepts. Screenshots of one window stay well under a megabyte.
#ifndef KESTROVA_TOOLS_WINPROBE_PNG_WRITER_H_
#define KESTROVA_TOOLS_WINPROBE_PNG_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace kestrova::winprobe {

// Pixels row by row from the top, 0x00RRGGBB.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The PNG file bytes of `image`.
std::vector<std::uint8_t> EncodePng(const Image& image);

// Writes EncodePng(image) to `path`; returns false when the file cannot be written.
bool WritePng(const std::string& path, const Image& image);

}  // namespace kestrova::winprobe

#endif  // KESTROVA_TOOLS_WINPROBE_PNG_WRITER_H_
