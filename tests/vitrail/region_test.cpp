// Bitmap regions and what they stand on: the transparent-colour rule of BitmapToRegion, its runs
// and partial merges, palettes from LoadBMPFromFile, RGNDATA checks, region union, global
// memory blocks and clipped blits between memory DCs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bmp_files.h"
#include "support/gl_context.h"
#include "vitrail/imagebutton.h"
#include "vitrail/platform/platform_test.h"
#include "support/temp_dir.h"

namespace {

constexpr Rgb kMagenta{255, 0, 255}, kRed{200, 30, 30};
constexpr COLORREF kMagentaRef = 0xFF00FF;

std::vector<RECT> rectsOf(HRGN rgn) {
    const DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<uint8_t> data(size);
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    if (size == 0 || GetRegionData(rgn, size, rd) != size) return {};
    std::vector<RECT> rects(rd->rdh.nCount);
    std::memcpy(rects.data(), data.data() + sizeof(RGNDATAHEADER), rects.size() * sizeof(RECT));
    return rects;
}

std::string text(const std::vector<RECT>& rects) {
    std::string s;
    char rect[64];
    for (const RECT& r : rects) {
        std::snprintf(rect, sizeof rect, "(%d,%d,%d,%d)", r.left, r.top, r.right, r.bottom);
        s += rect;
    }
    return s;
}

// RGNDATA of the given rectangles; `size` is what ExtCreateRegion is told.
std::vector<uint8_t> regionData(const std::vector<RECT>& rects, DWORD dwSize = 32,
                                DWORD type = RDH_RECTANGLES) {
    std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    const RGNDATAHEADER h{dwSize, type, static_cast<DWORD>(rects.size()), 0, RECT{0, 0, 0, 0}};
    std::memcpy(data.data(), &h, sizeof h);
    if (!rects.empty()) std::memcpy(data.data() + sizeof h, rects.data(), rects.size() * sizeof(RECT));
    return data;
}

HRGN regionFrom(const std::vector<RECT>& rects) {
    const std::vector<uint8_t> data = regionData(rects);
    return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                           reinterpret_cast<const RGNDATA*>(data.data()));
}

class Regions : public ::testing::Test {
  protected:
    void SetUp() override { UseHeadlessPlatform(); }
    void TearDown() override { PlatformTestReset(); }
    TempDir dir;
};

}  // namespace

TEST_F(Regions, magenta_within_tolerance_one_is_transparent) {
    struct Case {
        Rgb colour;
        int32_t expected;
    };
    const Case cases[] = {{{255, 0, 255}, NULLREGION},   {{255, 1, 255}, NULLREGION},
                          {{254, 0, 255}, SIMPLEREGION}, {{255, 2, 255}, SIMPLEREGION},
                          {{255, 0, 254}, SIMPLEREGION}, {{255, 1, 254}, SIMPLEREGION}};
    for (const Case& c : cases) {
        const std::string file = dir.write("c.bmp", Bmp24(5, 4, c.colour));
        const HRGN rgn = BitmapToRegion(file.c_str(), kMagentaRef, 1);
        ASSERT_NE(rgn, 0u);
        RECT box{};
        EXPECT_EQ(GetRgnBox(rgn, &box), c.expected)
            << int(c.colour.r) << "," << int(c.colour.g) << "," << int(c.colour.b);
        if (c.expected == SIMPLEREGION) {
            EXPECT_EQ(text({box}), "(0,0,5,4)");
        }
        EXPECT_TRUE(DeleteObject(rgn));
    }
}

TEST_F(Regions, tolerance_window_is_capped_at_255_per_channel) {
    // Colour (250, 10, 0) with tolerance 10: red 250..255, green 10..20, blue 0..10.
    const std::string file =
        dir.write("t.bmp", Bmp24(4, 1, [](int32_t x, int32_t) {
                      const Rgb row[] = {{255, 20, 10}, {249, 15, 5}, {252, 21, 0}, {250, 10, 11}};
                      return row[x];
                  }));
    const HRGN rgn = BitmapToRegion(file.c_str(), 0x000AFA, 10);
    EXPECT_EQ(text(rectsOf(rgn)), "(1,0,4,1)");
}

TEST_F(Regions, runs_of_a_row_become_rectangles_top_row_first) {
    // Row 0 all magenta; row 1: three opaque, one magenta, six opaque; row 2 all opaque.
    const std::string file = dir.write("r.bmp", Bmp24(10, 3, [](int32_t x, int32_t y) {
                                           if (y == 0 || (y == 1 && x == 3)) return kMagenta;
                                           return kRed;
                                       }));
    const HRGN rgn = BitmapToRegion(file.c_str(), kMagentaRef, 1);
    EXPECT_EQ(text(rectsOf(rgn)), "(0,1,3,2)(4,1,10,2)(0,2,10,3)");
    EXPECT_FALSE(PtInRegion(rgn, 3, 1));
    EXPECT_TRUE(PtInRegion(rgn, 4, 1));
    EXPECT_FALSE(PtInRegion(rgn, 10, 2));  // right and bottom edges lie outside
    EXPECT_FALSE(PtInRegion(rgn, 0, 3));
}

TEST_F(Regions, more_than_2000_runs_merge_into_the_region_of_all_runs) {
    const int32_t w = 203, h = 101;
    auto opaque = [](int32_t x, int32_t y) { return (x * 7 + y * 3) % 5 != 0 && (x + y * y) % 11 != 0; };
    const std::string file =
        dir.write("m.bmp", Bmp24(w, h, [&](int32_t x, int32_t y) { return opaque(x, y) ? kRed : kMagenta; }));
    std::vector<RECT> runs;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t x0 = x;
            while (x < w && opaque(x, y)) ++x;
            if (x > x0) runs.push_back(RECT{x0, y, x, y + 1});
        }
    ASSERT_GT(runs.size(), 4000u);  // two full partial regions and a remainder
    const HRGN all = regionFrom(runs);
    const HRGN merged = BitmapToRegion(file.c_str(), kMagentaRef, 1);
    ASSERT_NE(merged, 0u);
    EXPECT_TRUE(EqualRgn(merged, all));
    EXPECT_EQ(rectsOf(merged).size(), rectsOf(all).size());
    const HRGN missingLast = regionFrom(std::vector<RECT>(runs.begin(), runs.end() - 1));
    EXPECT_FALSE(EqualRgn(merged, missingLast));
}

TEST_F(Regions, colour_table_images_give_a_256_entry_palette_and_their_colours) {
    std::vector<Rgb> table;
    for (uint8_t i = 0; i < 16; ++i)
        table.push_back(Rgb{static_cast<uint8_t>(i * 16), static_cast<uint8_t>(i), 200});
    table[5] = kMagenta;
    for (int bpp : {8, 4}) {
        SCOPED_TRACE(bpp);
        const std::string file = dir.write("p.bmp", BmpIndexed(6, 2, bpp, table, [](int32_t x, int32_t y) {
                                               return x == 2 && y == 1 ? 5 : x;
                                           }));
        HPALETTE pal = 0;
        const HBITMAP bmp = LoadBMPFromFile(file.c_str(), pal);
        ASSERT_NE(bmp, 0u);
        BITMAP info{};
        ASSERT_EQ(GetObjectA(bmp, sizeof info, &info), static_cast<int32_t>(sizeof info));
        EXPECT_EQ(info.bmBitsPixel, bpp);
        EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 256u);
        PALETTEENTRY entries[256];
        ASSERT_EQ(GetPaletteEntries(pal, 0, 256, entries), 256u);
        EXPECT_EQ(entries[3].peRed, 48);
        EXPECT_EQ(entries[3].peGreen, 3);
        EXPECT_EQ(entries[3].peBlue, 200);
        for (int i = 16; i < 256; ++i)
            EXPECT_EQ(entries[i].peRed | entries[i].peGreen | entries[i].peBlue | entries[i].peFlags, 0) << i;
        // Index 5 is magenta: the shape loses pixel (5, 0) and (2, 1).
        const HRGN rgn = BitmapToRegion(file.c_str(), kMagentaRef, 1);
        EXPECT_EQ(text(rectsOf(rgn)), "(0,0,5,1)(0,1,2,2)(3,1,5,2)");
    }
}

TEST_F(Regions, deep_images_get_the_halftone_palette_and_failures_leave_it_alone) {
    HPALETTE pal = 0;
    const HBITMAP bmp = LoadBMPFromFile(dir.write("d.bmp", Bmp24(3, 3, kRed)).c_str(), pal);
    ASSERT_NE(bmp, 0u);
    EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 256u);
    PALETTEENTRY last{};
    GetPaletteEntries(pal, 255, 1, &last);
    EXPECT_EQ(last.peRed + last.peGreen + last.peBlue, 3 * 255);

    HPALETTE untouched = 12345;
    EXPECT_EQ(LoadBMPFromFile(dir.file("missing.bmp").c_str(), untouched), 0u);
    EXPECT_EQ(untouched, 12345u);
    std::vector<uint8_t> cut = Bmp24(8, 8, kRed);
    cut.resize(60);
    EXPECT_EQ(BitmapToRegion(dir.write("cut.bmp", cut).c_str(), kMagentaRef, 1), 0u);
    EXPECT_EQ(BitmapToRegion(dir.write("text.bmp", {'h', 'e', 'l', 'l', 'o'}).c_str(), kMagentaRef, 1), 0u);
    EXPECT_EQ(BitmapToRegion(nullptr, kMagentaRef, 1), 0u);
    // A header declaring 30000 x 30000 pixels in a file of 118 bytes is refused from the header.
    std::vector<uint8_t> huge = Bmp24(1, 1, kRed);
    const int32_t side = 30000;
    std::memcpy(huge.data() + 18, &side, 4);
    std::memcpy(huge.data() + 22, &side, 4);
    huge.resize(118, 0);
    EXPECT_EQ(LoadBMPFromFile(dir.write("huge.bmp", huge).c_str(), untouched), 0u);
}

TEST_F(Regions, region_data_is_checked_against_the_bytes_given) {
    const std::vector<RECT> two{{0, 0, 2, 2}, {5, 0, 6, 1}};
    const std::vector<uint8_t> good = regionData(two);
    const auto* rd = reinterpret_cast<const RGNDATA*>(good.data());
    EXPECT_NE(ExtCreateRegion(nullptr, static_cast<DWORD>(good.size()), rd), 0u);
    EXPECT_EQ(ExtCreateRegion(nullptr, static_cast<DWORD>(good.size() - 1), rd),
              0u);  // count beyond the bytes
    EXPECT_EQ(ExtCreateRegion(nullptr, 31, rd), 0u);
    const std::vector<uint8_t> badSize = regionData(two, 31);
    EXPECT_EQ(ExtCreateRegion(nullptr, 64, reinterpret_cast<const RGNDATA*>(badSize.data())), 0u);
    const std::vector<uint8_t> badType = regionData(two, 32, 2);
    EXPECT_EQ(ExtCreateRegion(nullptr, 64, reinterpret_cast<const RGNDATA*>(badType.data())), 0u);
    std::vector<uint8_t> huge = regionData({});
    const DWORD count = 0x10000001;  // count * 16 wraps to 16 in 32 bits
    std::memcpy(huge.data() + 8, &count, 4);
    huge.resize(64);
    EXPECT_EQ(ExtCreateRegion(nullptr, 64, reinterpret_cast<const RGNDATA*>(huge.data())), 0u);
    const XFORM identity{1, 0, 0, 1, 0, 0};
    EXPECT_EQ(ExtCreateRegion(&identity, static_cast<DWORD>(good.size()), rd), 0u);
}

TEST_F(Regions, union_is_canonical_whatever_the_order_of_rectangles) {
    const HRGN a = CreateRectRgn(0, 0, 4, 4);
    const HRGN b = CreateRectRgn(6, 2, 2, 8);  // corners in any order: (2,2)-(6,8)
    EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(text(rectsOf(a)), "(0,0,4,2)(0,2,6,4)(2,4,6,8)");
    const HRGN same = regionFrom({{2, 4, 6, 8}, {3, 3, 6, 5}, {0, 0, 4, 4}, {4, 2, 6, 3}, {0, 0, 1, 1}});
    EXPECT_TRUE(EqualRgn(a, same));
    RECT box{};
    EXPECT_EQ(GetRgnBox(a, &box), COMPLEXREGION);
    EXPECT_EQ(text({box}), "(0,0,6,8)");
    EXPECT_EQ(CombineRgn(a, a, b, RGN_AND), RGN_ERROR);
    EXPECT_TRUE(EqualRgn(a, same));  // a refused mode changes nothing
    // Touching rectangles of equal bands join into one.
    const HRGN joined = regionFrom({{0, 0, 2, 1}, {2, 0, 5, 1}, {0, 1, 5, 3}});
    EXPECT_EQ(text(rectsOf(joined)), "(0,0,5,3)");
}

// Only the bands of a union that meet the second region are swept again: whichever region is
// the destination, the result must be the region of all the rectangles at once.
TEST_F(Regions, union_of_random_regions_is_the_region_of_all_their_rectangles) {
    uint32_t seed = 12345;
    const auto next = [&seed](int32_t n) {
        return static_cast<int32_t>((seed = seed * 1664525u + 1013904223u) >> 16) % n;
    };
    const auto randomRects = [&](int32_t count, int32_t top) {
        std::vector<RECT> rects;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t x = next(10), y = top + next(6);
            rects.push_back({x, y, x + 1 + next(4), y + 1 + next(3)});
        }
        return rects;
    };
    for (int round = 0; round < 300; ++round) {
        const std::vector<RECT> ra = randomRects(1 + next(6), 0), rb = randomRects(1 + next(6), next(8));
        std::vector<RECT> all = ra;
        all.insert(all.end(), rb.begin(), rb.end());
        const HRGN expected = regionFrom(all);
        const HRGN a1 = regionFrom(ra), b1 = regionFrom(rb), a2 = regionFrom(ra), b2 = regionFrom(rb);
        const HRGN other = CreateRectRgn(0, 0, 1, 1);
        CombineRgn(a1, a1, b1, RGN_OR);     // into the first
        CombineRgn(b2, a2, b2, RGN_OR);     // into the second
        CombineRgn(other, a2, b1, RGN_OR);  // into a third
        EXPECT_TRUE(EqualRgn(a1, expected)) << text(ra) << " + " << text(rb) << " = " << text(rectsOf(a1));
        EXPECT_TRUE(EqualRgn(b2, expected)) << text(ra) << " + " << text(rb);
        EXPECT_TRUE(EqualRgn(other, expected)) << text(ra) << " + " << text(rb);
        CombineRgn(a1, a1, a1, RGN_OR);  // with itself
        EXPECT_TRUE(EqualRgn(a1, expected));
        for (HRGN r : {expected, a1, b1, a2, b2, other}) DeleteObject(r);
    }
}

TEST_F(Regions, global_blocks_grow_keep_their_bytes_and_stay_put_while_locked) {
    const HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 8);
    ASSERT_NE(mem, 0u);
    auto* p = static_cast<uint8_t*>(GlobalLock(mem));
    ASSERT_NE(p, nullptr);
    std::memcpy(p, "abcdefgh", 8);
    EXPECT_EQ(GlobalReAlloc(mem, 4096, 0), 0u);  // locked and not allowed to move
    EXPECT_EQ(GlobalSize(mem), 8u);
    EXPECT_FALSE(GlobalUnlock(mem));  // no lock left
    EXPECT_EQ(GlobalReAlloc(mem, 4096, GMEM_MOVEABLE), mem);
    p = static_cast<uint8_t*>(GlobalLock(mem));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p), 8), "abcdefgh");
    EXPECT_EQ(p[4095], 0);
    GlobalUnlock(mem);
    EXPECT_EQ(GlobalFree(mem), 0u);
    EXPECT_EQ(GlobalFree(mem), mem);
    EXPECT_EQ(GlobalLock(mem), nullptr);
}

TEST_F(Regions, blits_are_clipped_to_both_bitmaps_and_convert_colour_tables) {
    const std::vector<Rgb> table{{0, 0, 0}, {10, 20, 30}, {40, 50, 60}};
    const std::string file =
        dir.write("i.bmp", BmpIndexed(3, 2, 2, table, [](int32_t x, int32_t y) { return (x + y) % 3; }));
    HPALETTE pal = 0;
    const HBITMAP image = LoadBMPFromFile(file.c_str(), pal);
    ASSERT_NE(image, 0u);
    const HDC src = CreateCompatibleDC(0), dst = CreateCompatibleDC(0);
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{40, 4, -3, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
    void* bits = nullptr;
    const HBITMAP section = CreateDIBSection(dst, &info, DIB_RGB_COLORS, &bits, 0, 0);
    ASSERT_NE(section, 0u);
    std::memset(bits, 0xEE, 4 * 4 * 3);
    SelectObject(src, image);
    SelectObject(dst, section);
    EXPECT_TRUE(BitBlt(dst, 2, -1, 5, 5, src, 0, 0, SRCCOPY));
    const auto* px = static_cast<const uint8_t*>(bits);
    auto at = [&](int32_t x, int32_t y) { return px + 4 * (y * 4 + x); };
    // Destination (2, 0) takes source (0, 1): index 1; (3, 0) takes (1, 1): index 2.
    EXPECT_EQ(at(2, 0)[0], 30);
    EXPECT_EQ(at(2, 0)[1], 20);
    EXPECT_EQ(at(2, 0)[2], 10);
    EXPECT_EQ(at(3, 0)[2], 40);
    EXPECT_EQ(at(1, 0)[0], 0xEE);                                  // left of the target area
    EXPECT_EQ(at(2, 1)[0], 0xEE);                                  // below the source's last row
    EXPECT_FALSE(DeleteObject(image));                             // still selected
    EXPECT_FALSE(BitBlt(dst, 0, 0, 1, 1, src, 0, 0, 0x00EE0086));  // only SRCCOPY
    EXPECT_FALSE(SelectObject(dst, image));                        // one DC at a time
    DeleteDC(src);
    EXPECT_TRUE(DeleteObject(image));
    EXPECT_TRUE(DeleteObject(pal));
}
