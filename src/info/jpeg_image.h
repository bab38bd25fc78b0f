// Handset pictures: JPEG files decoded with libjpeg into plain RGB pixels that any front end
// can draw. The decoder never lets a damaged file take the program down.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvex {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes, rows top to bottom
  bool operator==(const RgbImage&) const = default;
};

// Decodes JPEG bytes (greyscale and colour files come out as RGB). nullopt for anything that
// is not a complete, decodable JPEG: libjpeg's fatal errors are caught, its warnings (a file
// cut short, for one) also count as failure so that no half-grey picture is shown.
std::optional<RgbImage> DecodeJpeg(const std::string& bytes);

// Reads and decodes a file; nullopt when it is missing, unreadable or not a good JPEG.
std::optional<RgbImage> LoadJpegFile(const std::string& path);

}  // namespace quorvex
