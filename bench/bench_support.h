// What the benchmarks share: medians, a device root holding a folder of pictures, and the
// practical lower bound of a thumbnail grid (bare libjpeg-turbo decodes at 1/8 on one core).
#pragma once

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE first.
#include <jpeglib.h>

namespace bench {

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A device root whose work folder \Pics holds copies of `files` (under their own names) at
// thumbnail layout `layout`, with empty samples and help, so that no start installs them.
inline void PrepareRoot(const std::string& root, const std::vector<std::string>& files,
                        int layout) {
    namespace fs = std::filesystem;
    fs::remove_all(root);
    fs::create_directories(root + "/Pics");
    fs::create_directories(root + "/Program Files/Velloran/Samples");
    fs::create_directories(root + "/Program Files/Velloran/Help");
    if (std::FILE* help =
            std::fopen((root + "/Program Files/Velloran/Help/index.htm").c_str(), "w"))
        std::fclose(help);
    for (const std::string& f : files) {
        fs::copy_file(f, root + "/Pics/" + fs::path(f).filename().string(),
                      fs::copy_options::overwrite_existing);
    }
    fs::create_directories(root + "/Windows");
    if (std::FILE* reg = std::fopen((root + "/Windows/registry.reg").c_str(), "w")) {
        std::fprintf(reg,
                     "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems "
                     "Inc.\\velloran\\MainSection]\n"
                     "\"WorkDirectory\"=\"\\\\Pics\"\n\"ThumbnailLayout\"=dword:%08x\n",
                     layout);
        std::fclose(reg);
    }
}

// One file decoded at 1/8 the way a thumbnail program without our guards would.
inline void DecodeEighth(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    std::vector<unsigned char> row(cinfo.output_width * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
}

}  // namespace bench
