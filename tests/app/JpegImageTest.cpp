#include "app/banner/JpegImage.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

TEST(JpegImage, DecodesTheBannerAtItsFullSize)
{
    std::ifstream in(QM_SOURCE_DIR "/resources/banner.jpg", std::ios::binary);
    const std::vector<std::uint8_t> bytes {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(bytes.empty());
    const RgbImage image = DecodeJpeg(bytes.data(), bytes.size());
    EXPECT_EQ(image.Width, 800);
    EXPECT_EQ(image.Height, 171);
    ASSERT_EQ(image.Pixels.size(), 800u * 171 * 3);
    EXPECT_GT(image.Pixels[2], image.Pixels[0]) << "the banner is blue at its top left corner";
}

TEST(JpegImage, RefusesWhatIsNoJpeg)
{
    const std::uint8_t bytes[] = {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
    EXPECT_THROW(DecodeJpeg(bytes, sizeof bytes), Exception);
    EXPECT_THROW(DecodeJpeg(bytes, 0), Exception);
}
