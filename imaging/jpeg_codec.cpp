#include "imaging/jpeg_codec.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/fit.h"
#include "imaging/jpeg_guard.h"
#include "imaging/jpeg_reduced_coefficients.h"
#include "imaging/jpeg_scan_data.h"
#include "imaging/jpeg_scan_filter.h"
#include "imaging/row_reducer.h"
#include "platform/os/device_fs.h"

namespace imaging {

namespace {

std::atomic<long> gMemoryLimit{384L << 20};
std::atomic<bool> gReducedTerms{true};

// The open decode of this thread.
struct DecodeState {
    JpegErrorManager errors{};
    jpeg_decompress_struct cinfo{};
    bool created = false;
    bool started = false;
    bool failed = false;
    bool cmyk = false;
    bool invertedCmyk = false;
    JDIMENSION rowsRead = 0;
    std::vector<uint8_t> cmykRow;
    // The size handed out; smaller than the decoder's output when the rows are reduced.
    int width = 0;
    int height = 0;
    bool reducing = false;
    RowReducer reducer;
    plat::FilePtr file;
    // Set while a progressive file is decoded at 1/8 from the terms that scale reads.
    std::unique_ptr<JpegScanFilter> filter;
    ReducedCoefficientStore reduced;
};

DecodeState& State() {
    thread_local DecodeState state;
    return state;
}

uint8_t Multiply255(int a, int b) {
    return static_cast<uint8_t>((a * b + 127) / 255);
}

// Adobe applications store CMYK inverted (255 = no ink); other writers store ink amounts.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = Multiply255(y, k);
        bgr[1] = Multiply255(m, k);
        bgr[2] = Multiply255(c, k);
    }
}

// Picks the smallest scale M/8 whose output covers the picture fitted into the box.
int ChooseScale(jpeg_decompress_struct* cinfo, int boxWidth, int boxHeight) {
    int wantWidth = static_cast<int>(cinfo->image_width);
    int wantHeight = static_cast<int>(cinfo->image_height);
    if (boxWidth > 0 && boxHeight > 0) {
        FitSize(wantWidth, wantHeight, boxWidth, boxHeight, &wantWidth, &wantHeight);
    }
    cinfo->scale_denom = 8;
    for (unsigned m = 1; m <= 8; ++m) {
        cinfo->scale_num = m;
        if (!JpegGuardCalcOutputDimensions(cinfo)) {
            return 0;
        }
        if (static_cast<int>(cinfo->output_width) >= wantWidth &&
            static_cast<int>(cinfo->output_height) >= wantHeight) {
            break;
        }
    }
    return 1;
}

// Huffman coding spends at least a bit on every 8 x 8 block of a scan, and arithmetic coding
// of a real picture hardly less, so a file with fewer scan bytes than width x height / 1024
// cannot hold the picture it claims. Decoding it would pad hundreds of millions of missing
// pixels from a few bytes (or, with arithmetic coding, make them up from nothing): it is
// refused instead. Only scan data counts, not comments or other segments.
bool ScanDataCoversClaim(DecodeState& s) {
    const uint64_t pixels = static_cast<uint64_t>(s.cinfo.image_width) * s.cinfo.image_height;
    const uint64_t needed = pixels / 1024;
    if (needed == 0) {
        return true;
    }
    std::FILE* file = s.file.get();
    const long resume = std::ftell(file);
    if (resume < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        return false;
    }
    const uint64_t present = CountJpegScanBytes(file, needed);
    return std::fseek(file, resume, SEEK_SET) == 0 && present >= needed;
}

// Beyond twice the box, even the DCT's smallest scale (1/8) is too large for the memory level:
// the rows are then reduced further while they are read, to the file's size fitted into twice
// the box, as BMP pictures are.
int ChooseReducedSize(DecodeState& s, int boxWidth, int boxHeight) {
    const int decodedWidth = static_cast<int>(s.cinfo.output_width);
    const int decodedHeight = static_cast<int>(s.cinfo.output_height);
    s.width = decodedWidth;
    s.height = decodedHeight;
    s.reducing = false;
    if (boxWidth <= 0 || boxHeight <= 0) {
        return 1;
    }
    const int twiceWidth =
        static_cast<int>(std::min<int64_t>(2 * int64_t{boxWidth}, kMaxDimension));
    const int twiceHeight =
        static_cast<int>(std::min<int64_t>(2 * int64_t{boxHeight}, kMaxDimension));
    if (decodedWidth <= twiceWidth && decodedHeight <= twiceHeight) {
        return 1;
    }
    int width = 0, height = 0;
    FitSize(static_cast<int>(s.cinfo.image_width), static_cast<int>(s.cinfo.image_height),
            twiceWidth, twiceHeight, &width, &height);
    s.width = std::min(width, decodedWidth);
    s.height = std::min(height, decodedHeight);
    s.reducing = true;
    return s.reducer.Start(decodedWidth, decodedHeight, s.width, s.height);
}

// Output colours, transform and scale; the header must be read again after a restart.
int ChooseOutput(DecodeState& s, int boxWidth, int boxHeight) {
    if (s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK) {
        // libjpeg turns YCCK into CMYK but not CMYK into BGR: that is done per row here.
        s.cinfo.out_color_space = JCS_CMYK;
        s.cmyk = true;
        s.invertedCmyk = s.cinfo.saw_Adobe_marker;
    } else {
        s.cinfo.out_color_space = JCS_EXT_BGR;
    }
    // The integer transform gives the same pixels on every machine.
    s.cinfo.dct_method = JDCT_ISLOW;
    return ChooseScale(&s.cinfo, boxWidth, boxHeight);
}

// At 1/8 scale a component becomes one pixel a block, its DC term, or 2 x 2 pixels from 25 low
// terms for chroma sampled at half the height and width; at 2/8, 2 x 2 and 4 x 4 pixels from 25
// and 49 terms. A progressive file is then read without its AC scans where only DC is needed,
// and its coefficients kept as those terms rather than all 64 of every block (~71 MiB for
// 24 megapixels). False when a component needs every term: the file is then decoded whole.
bool ReducedTermsSuffice(const jpeg_decompress_struct& cinfo) {
    if (!cinfo.progressive_mode || cinfo.scale_num > 2 || cinfo.scale_denom != 8 ||
        cinfo.num_components > MAX_COMPONENTS) {
        return false;
    }
    for (int ci = 0; ci < cinfo.num_components; ++ci) {
        if (ReducedCoefficientStore::TermsRead(cinfo.comp_info[ci].DCT_scaled_size) == 0) {
            return false;
        }
    }
    return true;
}

// Reads the header again through the scan filter, with the same choices; the file must still
// claim the size that was checked.
int RestartWithReducedTerms(DecodeState& s, int boxWidth, int boxHeight) {
    const JDIMENSION width = s.cinfo.image_width;
    const JDIMENSION height = s.cinfo.image_height;
    jpeg_abort_decompress(&s.cinfo);
    if (std::fseek(s.file.get(), 0, SEEK_SET) != 0) {
        return 0;
    }
    s.filter = std::make_unique<JpegScanFilter>();
    JpegUseScanFilter(&s.cinfo, s.filter.get(), s.file.get());
    if (!JpegGuardReadHeader(&s.cinfo) || s.cinfo.image_width != width ||
        s.cinfo.image_height != height || !ChooseOutput(s, boxWidth, boxHeight) ||
        !ReducedTermsSuffice(s.cinfo)) {
        return 0;
    }
    uint64_t terms[MAX_COMPONENTS] = {};
    for (int ci = 0; ci < s.cinfo.num_components; ++ci) {
        const jpeg_component_info& c = s.cinfo.comp_info[ci];
        terms[ci] = ReducedCoefficientStore::TermsRead(c.DCT_scaled_size);
        if (terms[ci] == 1) {
            s.filter->dropAcOf[c.component_id & 0xFF] = 1;
        }
    }
    // Two components may share an id; both must then keep their AC scans.
    for (int ci = 0; ci < s.cinfo.num_components; ++ci) {
        if (terms[ci] != 1) {
            s.filter->dropAcOf[s.cinfo.comp_info[ci].component_id & 0xFF] = 0;
        }
    }
    s.reduced.Install(&s.cinfo, terms, s.cinfo.num_components);
    // Smoothing would guess missing AC terms; a complete file is never smoothed, and a DC-only
    // component must not be.
    s.cinfo.do_block_smoothing = FALSE;
    return 1;
}

int OpenDecode(DecodeState& s, const std::string& path, int boxWidth, int boxHeight) {
    s.file = plat::DeviceFs::Open(path, "rb");
    if (!s.file) {
        return 0;
    }
    s.cinfo = jpeg_decompress_struct{};
    s.cinfo.err = JpegInitErrors(&s.errors);
    if (!JpegGuardCreateDecompress(&s.cinfo)) {
        return 0;
    }
    s.created = true;
    s.cinfo.mem->max_memory_to_use = gMemoryLimit;
    jpeg_stdio_src(&s.cinfo, s.file.get());
    if (!JpegGuardReadHeader(&s.cinfo)) {
        return 0;
    }
    if (!ScanDataCoversClaim(s)) {
        return 0;
    }
    if (!ChooseOutput(s, boxWidth, boxHeight)) {
        return 0;
    }
    if (s.cinfo.output_width == 0 || s.cinfo.output_height == 0 ||
        s.cinfo.output_width > static_cast<JDIMENSION>(kMaxDimension) ||
        s.cinfo.output_height > static_cast<JDIMENSION>(kMaxDimension)) {
        return 0;
    }
    if (gReducedTerms && ReducedTermsSuffice(s.cinfo) &&
        !RestartWithReducedTerms(s, boxWidth, boxHeight)) {
        return 0;
    }
    if (!ChooseReducedSize(s, boxWidth, boxHeight)) {
        return 0;
    }
    if (!JpegGuardStartDecompress(&s.cinfo)) {
        return 0;
    }
    // A file of several scans is read whole while the decode starts; an early end there has
    // already been padded within the bounds checked above. From here on it stops the rows.
    s.errors.dataEnded = 0;
    s.started = true;
    if (s.cmyk) {
        s.cmykRow.assign(static_cast<size_t>(s.cinfo.output_width) * 4, 0);
    }
    return 1;
}

}  // namespace

void SetJpegMemoryLimit(long bytes) {
    gMemoryLimit = bytes;
}

void SetJpegReducedTerms(bool on) {
    gReducedTerms = on;
}

int GetJPGFileHeader(const std::string& path, int* fileWidth, int* fileHeight, int* outWidth,
                     int* outHeight, int* components) {
    CloseFile();
    DecodeState& s = State();
    const int boxWidth = outWidth ? *outWidth : 0;
    const int boxHeight = outHeight ? *outHeight : 0;
    const int ok = OpenDecode(s, path, boxWidth, boxHeight);
    if (fileWidth) {
        *fileWidth = ok ? static_cast<int>(s.cinfo.image_width) : 0;
    }
    if (fileHeight) {
        *fileHeight = ok ? static_cast<int>(s.cinfo.image_height) : 0;
    }
    if (outWidth) {
        *outWidth = ok ? s.width : 0;
    }
    if (outHeight) {
        *outHeight = ok ? s.height : 0;
    }
    if (components) {
        *components = ok ? s.cinfo.num_components : 0;
    }
    if (!ok) {
        s.failed = true;
    }
    return ok;
}

namespace {

// The decoder's next row as BGR. 0 after a fatal error (the row is then black) or when the
// data ended on this row (it keeps what was decoded).
int ReadDecodedRow(DecodeState& s, uint8_t* row) {
    JSAMPROW target = s.cmyk ? s.cmykRow.data() : row;
    if (!JpegGuardReadScanline(&s.cinfo, target)) {
        std::memset(row, 0, static_cast<size_t>(s.cinfo.output_width) * 3);
        return 0;
    }
    if (s.cmyk) {
        CmykToBgr(s.cmykRow.data(), row, s.cinfo.output_width, s.invertedCmyk);
    }
    return s.errors.dataEnded ? 0 : 1;
}

}  // namespace

int GetJPGFileData(uint8_t* row) {
    DecodeState& s = State();
    if (!s.started) {
        return 0;
    }
    const size_t rowBytes = static_cast<size_t>(s.width) * 3;
    if (s.failed || s.rowsRead >= static_cast<JDIMENSION>(s.height)) {
        std::memset(row, 0, rowBytes);
        return 0;
    }
    ++s.rowsRead;
    const int ok =
        s.reducing
            ? s.reducer.NextLine(row, [&s](uint8_t* decoded) { return ReadDecodedRow(s, decoded); })
            : ReadDecodedRow(s, row);
    if (!ok) {
        // A fatal error, or the end of the data: every later row stays black.
        s.failed = true;
    }
    return ok;
}

void CloseFile() {
    DecodeState& s = State();
    if (s.created) {
        jpeg_destroy_decompress(&s.cinfo);
    }
    s.created = s.started = s.failed = s.cmyk = s.invertedCmyk = s.reducing = false;
    s.rowsRead = 0;
    s.width = s.height = 0;
    s.reducer = RowReducer();
    s.cmykRow = std::vector<uint8_t>();
    s.file.reset();
    s.filter.reset();
    s.reduced.Clear();
}

int WriteJpegRows(const std::string& path, const uint8_t* rows, uint32_t bytesPerRow, int width,
                  int height, const JpegWriteOptions& options) {
    if (!rows || width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension ||
        bytesPerRow < static_cast<uint32_t>(width) * 3) {
        return 0;
    }
    plat::FilePtr file = plat::DeviceFs::Open(path, "wb");
    if (!file) {
        return 0;
    }
    JpegCompressJob job{rows,
                        static_cast<long>(bytesPerRow),
                        width,
                        height,
                        options.quality < 1 ? 1 : (options.quality > 100 ? 100 : options.quality),
                        options.progressive ? 1 : 0,
                        options.grayscale ? 1 : 0};
    JpegErrorManager errors{};
    jpeg_compress_struct cinfo{};
    cinfo.err = JpegInitErrors(&errors);
    int ok = JpegGuardCompress(&cinfo, file.get(), &job);
    jpeg_destroy_compress(&cinfo);
    if (std::fflush(file.get()) != 0 || std::ferror(file.get())) {
        ok = 0;
    }
    if (std::fclose(file.release()) != 0) {
        ok = 0;
    }
    return ok;
}

int SaveJpgFile(const std::string& path, int quality, const uint8_t* rows, uint32_t bytesPerRow,
                const BitmapInfoHeader& header, uint8_t* /*scratch*/) {
    if (header.biBitCount != 24 || header.biCompression != 0) {
        return 0;
    }
    JpegWriteOptions options;
    options.quality = quality;
    return WriteJpegRows(path, rows, bytesPerRow, header.biWidth, header.biHeight, options);
}

}  // namespace imaging
