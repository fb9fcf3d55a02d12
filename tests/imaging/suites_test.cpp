// The public decoder test suites carried in tests/data: good files decode to the reference
// pixels, everything else decodes or is refused without a crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "imaging/bmp_reader.h"
#include "imaging/loaders.h"
#include "imaging/picture_decoder.h"
#include "jpeg_files.h"
#include "test_support.h"

namespace imaging {
namespace {

namespace fs = std::filesystem;

fs::path Suite(const std::string& name) {
    return fs::path(testing::TestDataDir()) / name;
}

// Runs a command and returns its standard output.
std::string Capture(const std::string& command) {
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return out;
    }
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, got);
    }
    pclose(pipe);
    return out;
}

// Compares a picture with top-down RGB bytes; returns the first differing pixel or "".
std::string CompareRgb(const ImageBuffer& image, const std::string& rgb) {
    if (rgb.size() != static_cast<size_t>(image.Width()) * image.Height() * 3) {
        return "reference has " + std::to_string(rgb.size()) + " bytes";
    }
    size_t i = 0;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* p = image.RowPtr(y);
        for (int x = 0; x < image.Width(); ++x, p += 3, i += 3) {
            if (p[2] != static_cast<uint8_t>(rgb[i]) || p[1] != static_cast<uint8_t>(rgb[i + 1]) ||
                p[0] != static_cast<uint8_t>(rgb[i + 2])) {
                return "first difference at " + std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    return "";
}

class SuiteTest : public testing::DeviceRootTest {
  protected:
    // Copies a host file into the device root and returns its device path.
    std::string Install(const fs::path& file) {
        std::string device(1, '\\');  // (not "\\" + ...: GCC 12 warns falsely, -Wrestrict)
        device += file.filename().string();
        WriteBytes(device, testing::ReadHostFile(file));
        return device;
    }
    // Every loader at small and large boxes; nothing is asserted but the absence of a crash.
    void Exercise(const std::string& device) {
        ImagingContext context;
        for (int orientation : {0, 1}) {
            context.orientation = orientation;
            for (int fit : {0, 1}) {
                ImageBuffer image;
                LoadImageFile(device, &image, fit, 0, context);
            }
        }
        for (int box : {16, 38}) {
            context.thumbMaxView = box == 38;
            int w = box, h = box;
            LoadThumbnailBitmap(device, context, &w, &h);
        }
    }
    // Loads at full size through the view path (a screen large enough for any suite file).
    int LoadFull(const std::string& device, ImageBuffer* image) {
        ImagingContext context;
        context.screenWidth = context.screenHeight = 4096;
        return LoadImageFile(device, image, 0, 0, context);
    }
};

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& extension) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) {
        return files;
    }
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == extension) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Good files the reader takes decode as ImageMagick does; questionable and bad ones decode or
// are refused without a crash.
TEST_F(SuiteTest, BmpSuite) {
    const fs::path suite = Suite("bmpsuite");
    ASSERT_TRUE(fs::is_directory(suite)) << "no bmpsuite in tests/data";
    const bool haveReference = fs::exists("/usr/bin/convert");
    int accepted = 0, files = 0;
    for (const fs::path& file : FilesIn(suite / "g", ".bmp")) {
        const std::string device = Install(file);
        ImageBuffer image;
        if (!LoadFull(device, &image)) {
            continue;  // refused: a depth, compression or header form the reader does not take
        }
        ++accepted;
        if (haveReference) {
            const std::string rgb =
                Capture("/usr/bin/convert 'BMP:" + file.string() + "' -depth 8 rgb:- 2>/dev/null");
            EXPECT_EQ(CompareRgb(image, rgb), "") << file.filename();
        }
    }
    // pal1, pal1bg, pal1wb, pal4, pal4gs, pal8, pal8-0, pal8gs, pal8nonsquare, pal8os2,
    // pal8w124, pal8w125, pal8w126, rgb24, rgb24pal.
    EXPECT_EQ(accepted, 15);
    for (const char* group : {"q", "b", "x"}) {
        for (const fs::path& file : FilesIn(suite / group, ".bmp")) {
            Exercise(Install(file));
            ++files;
        }
    }
    EXPECT_GT(files, 50);
    if (!haveReference) {
        GTEST_SKIP() << "ImageMagick not installed: decoded " << accepted << " without reference";
    }
}

TEST_F(SuiteTest, JpegDecodeMatchesDjpegWithTheIntegerTransform) {
    const fs::path suite = Suite("libjpeg-turbo-testimages");
    ASSERT_TRUE(fs::exists(suite / "testorig.jpg")) << "no libjpeg-turbo test images in tests/data";
    if (!fs::exists("/usr/bin/djpeg")) {
        GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) not installed";
    }
    for (const char* name : {"testorig.jpg", "testimgint.jpg"}) {
        ImageBuffer image;
        ASSERT_GT(testing::DecodeJpeg(Install(suite / name), 0, 0, &image), 0) << name;
        const std::string ppm =
            Capture("/usr/bin/djpeg -dct int -ppm '" + (suite / name).string() + "'");
        const size_t pixels = static_cast<size_t>(image.Width()) * image.Height() * 3;
        ASSERT_GE(ppm.size(), pixels) << name;
        EXPECT_EQ(CompareRgb(image, ppm.substr(ppm.size() - pixels)), "") << name;
    }
}

TEST_F(SuiteTest, GiflibPicturesMatchTheirReferenceDecodes) {
    const fs::path suite = Suite("giflib-pics");
    ASSERT_TRUE(fs::is_directory(suite / "reference-rgb")) << "no giflib pictures in tests/data";
    for (const char* name : {"gifgrid", "solid2", "treescap", "treescap-interlaced"}) {
        const std::string device = Install(suite / (std::string(name) + ".gif"));
        ImageBuffer image;
        ASSERT_EQ(LoadFull(device, &image), 1) << name;
        const std::string rgb =
            testing::ReadHostFile(suite / "reference-rgb" / (std::string(name) + ".rgb"));
        EXPECT_EQ(CompareRgb(image, rgb), "") << name;
    }
}

TEST_F(SuiteTest, EveryJpegAndGifDecodesOrFailsWithoutCrashing) {
    struct Case {
        const char* extension;
        std::vector<const char*> suites;
    } cases[] = {
        {".jpg",
         {"libjpeg-turbo-testimages", "jpeg-decoder-tests", "exif-orientation-examples",
          "exif-samples"}},
        {".gif", {"pygif-test-suite", "peterdn-gif-test-suite", "giflib-pics"}},
    };
    for (const Case& c : cases) {
        int files = 0;
        for (const char* name : c.suites) {
            for (const fs::path& file : FilesIn(Suite(name), c.extension)) {
                Exercise(Install(file));
                ++files;
            }
        }
        EXPECT_GT(files, 0) << "no " << c.extension << " suites in tests/data";
    }
    // The good camera pictures load.
    ImageBuffer image;
    ImagingContext context;
    EXPECT_EQ(LoadImageFile(Install(Suite("exif-orientation-examples") / "Landscape_1.jpg"), &image,
                            0, 0, context),
              1);
    // Its one pixel has colour index 2 of a two-colour palette: when the picture is shown at
    // all, that pixel comes out black instead of a colour read past the palette.
    ImageBuffer gif;
    if (LoadFull(Install(Suite("pygif-test-suite") / "invalid-colors.gif"), &gif)) {
        EXPECT_EQ(testing::PixelAt(gif, 0, 0), 0u);
    }
}

}  // namespace
}  // namespace imaging
