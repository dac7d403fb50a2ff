// Icon group 1001 and its four images: the directory, each image's DIB and the key cap drawn.
#include "tests/res/resource_file.h"

#include <gtest/gtest.h>

namespace {

struct IconImage {
    BYTE size;
    BYTE colourCount; // as stored: 0 for 256 colours
    WORD bitsPerPixel;
    WORD resourceId;
};

const IconImage kImages[] = {
    {16, 16, 4, 1},
    {32, 16, 4, 2},
    {32, 0, 8, 3},
    {16, 0, 8, 4},
};
const int kImageCount = sizeof(kImages) / sizeof(kImages[0]);

// Bytes of a bottom-up DIB row of `width` pixels, padded to 32 bits.
DWORD RowBytes(int width, int bitsPerPixel) {
    return static_cast<DWORD>((width * bitsPerPixel + 31) / 32 * 4);
}

DWORD PaletteBytes(const IconImage& image) {
    return 4u << image.bitsPerPixel;
}

DWORD ImageBytes(const IconImage& image) {
    DWORD colourBits = RowBytes(image.size, image.bitsPerPixel) * image.size;
    DWORD mask = RowBytes(image.size, 1) * image.size;
    return sizeof(BITMAPINFOHEADER) + PaletteBytes(image) + colourBits + mask;
}

TEST(IconGroup, DirectoryListsTheFourImagesInOrder) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    RawResource group = FindRawResource(MAKEINTRESOURCEA(14), 1001);
    ASSERT_NE(nullptr, group.bytes);
    ResourceReader reader = StartReading(group);
    EXPECT_EQ(0, ReadWord(reader)) << "reserved";
    EXPECT_EQ(1, ReadWord(reader)) << "type: icon";
    ASSERT_EQ(kImageCount, ReadWord(reader));
    for (const IconImage& image : kImages) {
        SCOPED_TRACE(::testing::Message() << "image " << image.resourceId);
        WORD widthAndHeight = ReadWord(reader);
        EXPECT_EQ(image.size, widthAndHeight & 0xFF) << "width";
        EXPECT_EQ(image.size, widthAndHeight >> 8) << "height";
        WORD coloursAndReserved = ReadWord(reader);
        EXPECT_EQ(image.colourCount, coloursAndReserved & 0xFF) << "colours";
        EXPECT_EQ(0, coloursAndReserved >> 8) << "reserved";
        EXPECT_EQ(1, ReadWord(reader)) << "planes";
        EXPECT_EQ(image.bitsPerPixel, ReadWord(reader));
        EXPECT_EQ(ImageBytes(image), ReadDword(reader)) << "bytes in the image";
        EXPECT_EQ(image.resourceId, ReadWord(reader));
    }
    EXPECT_FALSE(reader.overrun);
    EXPECT_EQ(group.size, reader.offset);
}

TEST(IconImages, EachIsAnUncompressedDibWithItsMask) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    for (const IconImage& image : kImages) {
        SCOPED_TRACE(::testing::Message() << "image " << image.resourceId);
        RawResource raw = FindRawResource(MAKEINTRESOURCEA(3), image.resourceId);
        ASSERT_NE(nullptr, raw.bytes);
        EXPECT_EQ(ImageBytes(image), raw.size);
        ASSERT_GE(raw.size, sizeof(BITMAPINFOHEADER));
        const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(raw.bytes);
        EXPECT_EQ(DWORD(sizeof(BITMAPINFOHEADER)), header->biSize);
        EXPECT_EQ(image.size, header->biWidth);
        EXPECT_EQ(2 * image.size, header->biHeight) << "colour bits and mask";
        EXPECT_EQ(1, header->biPlanes);
        EXPECT_EQ(image.bitsPerPixel, header->biBitCount);
        EXPECT_EQ(DWORD(BI_RGB), header->biCompression);
        EXPECT_EQ(raw.size - sizeof(BITMAPINFOHEADER) - PaletteBytes(image), header->biSizeImage);
        EXPECT_EQ(0u, header->biClrUsed) << "a full palette";
        EXPECT_EQ(0u, header->biClrImportant);
        HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(raw.bytes), raw.size, TRUE,
                                              0x00030000, image.size, image.size, 0);
        EXPECT_NE(nullptr, icon) << "the system accepts the image";
        if (icon != NULL) {
            DestroyIcon(icon);
        }
    }
}

struct Pixel {
    bool opaque;
    BYTE red, green, blue;
};

// Pixel (x, y) from the top-left of one icon image, read from its colour bits and mask.
Pixel PixelOf(const RawResource& raw, const IconImage& image, int x, int y) {
    const unsigned char* palette = raw.bytes + sizeof(BITMAPINFOHEADER);
    const unsigned char* colours = palette + PaletteBytes(image);
    const unsigned char* mask = colours + RowBytes(image.size, image.bitsPerPixel) * image.size;
    int row = image.size - 1 - y; // rows are stored bottom-up
    const unsigned char* colourRow = colours + RowBytes(image.size, image.bitsPerPixel) * row;
    int index =
        image.bitsPerPixel == 8 ? colourRow[x] : (colourRow[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
    bool transparent = (mask[RowBytes(image.size, 1) * row + x / 8] >> (7 - x % 8)) & 1;
    const unsigned char* entry = palette + 4 * index;
    return Pixel{!transparent, entry[2], entry[1], entry[0]};
}

int Brightness(const Pixel& pixel) {
    return pixel.red + pixel.green + pixel.blue;
}

// A square key cap in light blue-grey on a transparent ground: a square of opaque pixels inside
// the image, its face light and bluish, its upper bevel lit and its lower bevel in shadow.
TEST(IconImages, EachShowsALightBlueGreySquareKeyCap) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    for (const IconImage& image : kImages) {
        SCOPED_TRACE(::testing::Message() << "image " << image.resourceId);
        RawResource raw = FindRawResource(MAKEINTRESOURCEA(3), image.resourceId);
        ASSERT_EQ(ImageBytes(image), raw.size);
        int left = image.size, top = image.size, right = -1, bottom = -1;
        for (int y = 0; y < image.size; ++y) {
            for (int x = 0; x < image.size; ++x) {
                if (PixelOf(raw, image, x, y).opaque) {
                    left = x < left ? x : left;
                    top = y < top ? y : top;
                    right = x > right ? x : right;
                    bottom = y > bottom ? y : bottom;
                }
            }
        }
        EXPECT_GT(left, 0) << "transparent margin";
        EXPECT_GT(top, 0) << "transparent margin";
        EXPECT_LT(right, image.size - 1) << "transparent margin";
        EXPECT_LT(bottom, image.size - 1) << "transparent margin";
        EXPECT_EQ(right - left, bottom - top) << "a square cap";
        EXPECT_GE(right - left + 1, image.size * 3 / 4) << "filling most of the image";
        EXPECT_FALSE(PixelOf(raw, image, left, top).opaque) << "rounded corner";

        int middle = image.size / 2;
        Pixel face = PixelOf(raw, image, middle, middle);
        EXPECT_TRUE(face.opaque);
        EXPECT_GE(face.red, 0xA0) << "light";
        EXPECT_GT(face.blue, face.red) << "blue-grey";
        EXPECT_LE(face.blue - face.red, 0x40) << "blue-grey, not blue";
        Pixel upperBevel = PixelOf(raw, image, middle, top + 1);
        Pixel lowerBevel = PixelOf(raw, image, middle, bottom - 1);
        EXPECT_GT(Brightness(upperBevel), Brightness(face));
        EXPECT_LT(Brightness(lowerBevel), Brightness(face));
    }
}

} // namespace
