// The committed artwork in the forms the Windows build embeds: sizes match
// the pictures Qt shows, and the cursor's hot spot is the fingertip.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> bytes_of(const std::string& name) {
    std::ifstream in(std::string(VORLIX_ART_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t le(const std::vector<unsigned char>& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b.at(at + std::size_t(i));
    return v;
}

std::uint32_t be32(const std::vector<unsigned char>& b, std::size_t at) {
    return (std::uint32_t(b.at(at)) << 24) | (std::uint32_t(b.at(at + 1)) << 16) |
           (std::uint32_t(b.at(at + 2)) << 8) | b.at(at + 3);
}

TEST(Artwork, PicturesHaveTheirPixelSizesInBothForms) {
    const struct {
        const char* name;
        std::uint32_t width, height;
    } pictures[] = {{"banner", 290, 31}, {"add", 61, 21},        {"remove", 106, 22},
                    {"active", 92, 29},  {"suspended", 149, 29}, {"background", 438, 337},
                    {"icon", 32, 32},    {"hand", 32, 32}};
    for (const auto& p : pictures) {
        const auto png = bytes_of(std::string(p.name) + ".png");
        ASSERT_GT(png.size(), 24u) << p.name;
        EXPECT_EQ(be32(png, 16), p.width) << p.name;  // IHDR
        EXPECT_EQ(be32(png, 20), p.height) << p.name;
        if (std::string(p.name) == "icon" || std::string(p.name) == "hand") continue;
        const auto bmp = bytes_of(std::string(p.name) + ".bmp");
        ASSERT_GT(bmp.size(), 26u) << p.name;
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(le(bmp, 18, 4), p.width) << p.name;
        EXPECT_EQ(le(bmp, 22, 4), p.height) << p.name;
    }
}

TEST(Artwork, IconAndCursorAreWindowsResources) {
    const auto ico = bytes_of("icon.ico");
    ASSERT_GT(ico.size(), 22u);
    EXPECT_EQ(le(ico, 2, 2), 1u);  // an icon
    EXPECT_GE(le(ico, 4, 2), 1u);
    EXPECT_EQ(ico[6], 32);
    EXPECT_EQ(ico[7], 32);

    const auto cur = bytes_of("hand.cur");
    ASSERT_GT(cur.size(), 22u);
    EXPECT_EQ(le(cur, 2, 2), 2u);  // a cursor
    EXPECT_EQ(le(cur, 4, 2), 1u);
    EXPECT_EQ(cur[6], 32);
    EXPECT_EQ(cur[7], 32);
    EXPECT_EQ(le(cur, 10, 2), 5u) << "hot spot x: the fingertip";
    EXPECT_EQ(le(cur, 12, 2), 0u) << "hot spot y: the fingertip";
    EXPECT_EQ(le(cur, 18, 4) + le(cur, 14, 4), cur.size()) << "image offset and size";
}

}  // namespace
