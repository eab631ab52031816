// png_ink FILE: how much of a PNG is drawn on. Prints
//   ink <share of pixels that are not white, 0 to 1> red <pixels that are red>
// for the browser test, which renders the HTML report and checks that the
// screenshot is not blank and shows its red cells. Exit status 1 when the file
// cannot be read as PNG.
#include <png.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: png_ink FILE\n", stderr);
    return 2;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, argv[1]) == 0) {
    std::fprintf(stderr, "png_ink: %s: %s\n", argv[1], image.message);
    return 1;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
    std::fprintf(stderr, "png_ink: %s: %s\n", argv[1], image.message);
    return 1;
  }
  unsigned long long ink = 0;
  unsigned long long red = 0;
  const unsigned long long count = static_cast<unsigned long long>(image.width) * image.height;
  for (unsigned long long i = 0; i < count; ++i) {
    const int r = pixels[3 * i];
    const int g = pixels[3 * i + 1];
    const int b = pixels[3 * i + 2];
    if (r < 240 || g < 240 || b < 240) ++ink;
    if (r > 150 && g < 90 && b < 90) ++red;
  }
  std::printf("ink %.4f red %llu\n", count == 0 ? 0.0 : static_cast<double>(ink) / static_cast<double>(count),
              red);
  return 0;
}
