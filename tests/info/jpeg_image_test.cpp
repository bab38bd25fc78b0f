// The picture decoder on our own pictures and on files that must not take the program down.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "info/jpeg_image.h"

namespace quorvex {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kDataDir = QUORVEX_DATA_DIR;

class ShippedPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedPicture, DecodesToAFullRgbImage) {
  auto image = LoadJpegFile(kDataDir + "/" + GetParam());
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 120);
  EXPECT_EQ(image->height, 200);
  ASSERT_EQ(image->rgb.size(), 120u * 200u * 3u);
  // The corner is the white background, the middle is the handset's body or screen.
  EXPECT_GT(image->rgb[0], 240);
  const std::size_t middle = (100 * 120 + 60) * 3;
  EXPECT_LT(image->rgb[middle] + image->rgb[middle + 1] + image->rgb[middle + 2], 3 * 240);
}

INSTANTIATE_TEST_SUITE_P(Data, ShippedPicture,
                         ::testing::Values("t722i.jpg", "c350.jpg", "c450.jpg", "c550.jpg",
                                           "c33x.jpg", "v60.jpg", "v60i.jpg", "v70.jpg", "v66i.jpg",
                                           "v150.jpg"));

TEST(JpegDecoder, ThePicturesDifferFromOneAnother) {
  auto a = LoadJpegFile(kDataDir + "/v60.jpg");
  auto b = LoadJpegFile(kDataDir + "/v60i.jpg");
  ASSERT_TRUE(a && b);
  EXPECT_NE(a->rgb, b->rgb);
}

TEST(JpegDecoder, DamagedDataIsRefused) {
  const std::string good = Slurp(kDataDir + "/c350.jpg");
  ASSERT_GT(good.size(), 1000u);
  std::string garbage(good.size(), '\0');
  std::mt19937 random(7);
  for (char& c : garbage) c = static_cast<char>(random());
  std::string badBody = good;
  // Keep the headers, scramble the entropy-coded data and drop the end marker.
  for (std::size_t i = good.size() / 2; i < good.size(); ++i) badBody[i] = static_cast<char>(0xFF);

  struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"start marker only", good.substr(0, 2)},
      {"headers only", good.substr(0, 300)},
      {"cut in the middle", good.substr(0, good.size() / 2)},
      {"last bytes missing", good.substr(0, good.size() - 40)},
      {"random bytes", garbage},
      {"text", "this is no picture at all"},
      {"scrambled data", badBody},
  };
  for (const auto& c : cases) EXPECT_FALSE(DecodeJpeg(c.bytes).has_value()) << c.name;
  // The decoder is still good for a sound file afterwards.
  EXPECT_TRUE(DecodeJpeg(good).has_value());
}

TEST(JpegDecoder, AHeaderClaimingAHugePictureIsRefused) {
  std::string bytes = Slurp(kDataDir + "/c350.jpg");
  // The baseline frame header: FF C0, length, precision, then height and width.
  const auto sof = bytes.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  bytes[sof + 5] = bytes[sof + 6] = bytes[sof + 7] = bytes[sof + 8] = '\xFF';
  EXPECT_FALSE(DecodeJpeg(bytes).has_value());
}

TEST(JpegDecoder, GreyscaleComesOutAsRgb) {
  auto image = LoadJpegFile(std::string(QUORVEX_TEST_DIR) + "/grey.jpg");
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 16);
  EXPECT_EQ(image->height, 8);
  ASSERT_EQ(image->rgb.size(), 16u * 8u * 3u);
  // A grey pixel has three equal channels; the gradient runs dark at the top, light below.
  EXPECT_EQ(image->rgb[0], image->rgb[1]);
  EXPECT_EQ(image->rgb[1], image->rgb[2]);
  EXPECT_LT(image->rgb[0], image->rgb[image->rgb.size() - 1]);
}

TEST(JpegDecoder, MissingFileAndDirectory) {
  EXPECT_FALSE(LoadJpegFile(kDataDir + "/no-such-picture.jpg").has_value());
  EXPECT_FALSE(LoadJpegFile(kDataDir).has_value());
}

}  // namespace
}  // namespace quorvex
