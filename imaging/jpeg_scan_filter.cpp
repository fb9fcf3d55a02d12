#include "imaging/jpeg_scan_filter.h"

#include <algorithm>
#include <cstring>

// The message codes of the library's warnings.
#include <jerror.h>

namespace imaging {

namespace {

enum State {
    kBetween,     // between marker segments
    kBetweenFf,   // a 0xFF there: a marker follows
    kLengthHigh,  // the length of a marker segment
    kLengthLow,
    kSegment,  // the body of a marker segment, passed through
    kScanLengthHigh,
    kScanLengthLow,
    kScanHeader,  // the body of a scan header, held until its spectral range is known
    kEntropy,     // entropy-coded data
    kEntropyFf,   // a 0xFF there: stuffing, a restart marker or the next marker
};

constexpr int kStartOfScan = 0xDA;
constexpr size_t kChunk = 16384;

bool IsStandalone(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9);
}

bool IsRestart(int marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

int NextRaw(JpegScanFilter* f) {
    if (f->rawPos == f->rawLen) {
        f->rawLen = std::fread(f->raw, 1, sizeof f->raw, f->file);
        f->rawPos = 0;
        if (f->rawLen == 0) {
            return -1;
        }
    }
    return f->raw[f->rawPos++];
}

// A scan whose spectral selection starts past the DC term carries AC terms only; it is left
// out when every component it codes is marked.
bool LeaveOut(const JpegScanFilter* f, const unsigned char* header, int length) {
    const int components = header[0];
    const int start = 1 + 2 * components;
    if (components == 0 || length < start + 3 || header[start] == 0) {
        return false;
    }
    for (int i = 0; i < components; ++i) {
        if (!f->dropAcOf[header[1 + 2 * i]]) {
            return false;
        }
    }
    return true;
}

// A marker code read after 0xFF; n bytes are waiting in the output. Returns the new count.
size_t OnMarker(JpegScanFilter* f, int code, size_t n) {
    f->dropping = false;
    if (code == kStartOfScan) {
        if (n > 0) {
            // The scan header begins the next buffer, when the choice of scans is made.
            f->scanPending = true;
            f->state = kBetween;
            return n;
        }
        f->state = kScanLengthHigh;
    } else {
        f->state = IsStandalone(code) ? kBetween : kLengthHigh;
    }
    f->out[n++] = 0xFF;
    f->out[n++] = static_cast<unsigned char>(code);
    return n;
}

// Entropy-coded bytes up to the next 0xFF, at most to the end of the output's chunk: copied,
// or skipped in a left-out scan. `first` is the byte just read.
size_t TakeEntropyRun(JpegScanFilter* f, unsigned char first, size_t n) {
    if (!f->dropping) {
        f->out[n++] = first;
    }
    const unsigned char* from = f->raw + f->rawPos;
    size_t run = f->rawLen - f->rawPos;
    if (const void* ff = std::memchr(from, 0xFF, run)) {
        run = static_cast<size_t>(static_cast<const unsigned char*>(ff) - from);
    }
    if (!f->dropping) {
        run = std::min(run, kChunk > n ? kChunk - n : 0);
        std::memcpy(f->out + n, from, run);
        n += run;
    }
    f->rawPos += run;
    return n;
}

// Runs the byte machine until the output holds a buffer's worth, a scan header must start
// the next buffer, or the file ends.
size_t Fill(JpegScanFilter* f) {
    size_t n = 0;
    if (f->scanPending) {
        f->scanPending = false;
        n = OnMarker(f, kStartOfScan, 0);
    }
    // A scan header is never split: it is kept whole to be passed on or left out.
    while ((n < kChunk || f->state == kScanHeader) && !f->scanPending) {
        const int c = NextRaw(f);
        if (c < 0) {
            break;
        }
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (f->state) {
            case kBetween:
                if (byte == 0xFF) {
                    f->state = kBetweenFf;
                } else {
                    f->out[n++] = byte;  // stray bytes: the decoder skips them
                }
                break;
            case kBetweenFf:
            case kEntropyFf:
                if (byte == 0xFF) {
                    if (!f->dropping) {
                        f->out[n++] = 0xFF;  // fill byte
                    }
                } else if (f->state == kEntropyFf && (byte == 0 || IsRestart(byte))) {
                    if (!f->dropping) {
                        f->out[n++] = 0xFF;
                        f->out[n++] = byte;
                    }
                    f->state = kEntropy;
                } else if (byte == 0) {
                    f->out[n++] = 0xFF;
                    f->out[n++] = 0;
                    f->state = kBetween;
                } else {
                    n = OnMarker(f, byte, n);
                }
                break;
            case kLengthHigh:
            case kScanLengthHigh:
                f->out[n++] = byte;
                f->segmentLeft = byte << 8;
                f->state = f->state == kLengthHigh ? kLengthLow : kScanLengthLow;
                break;
            case kLengthLow:
                f->out[n++] = byte;
                f->segmentLeft = (f->segmentLeft | byte) - 2;
                f->state = f->segmentLeft > 0 ? kSegment : kBetween;
                break;
            case kSegment:
                f->out[n++] = byte;
                if (--f->segmentLeft == 0) {
                    f->state = kBetween;
                }
                break;
            case kScanLengthLow:
                f->out[n++] = byte;
                f->headerLength = (f->segmentLeft | byte) - 2;
                f->headerRead = 0;
                f->state = f->headerLength > 0 ? kScanHeader : kEntropy;
                break;
            case kScanHeader:
                f->out[n++] = byte;
                if (++f->headerRead == f->headerLength) {
                    f->state = kEntropy;
                    // The header sits at the start of the output, after marker and length.
                    if (LeaveOut(f, f->out + 4, f->headerLength)) {
                        f->dropping = true;
                        n = 0;
                    }
                }
                break;
            case kEntropy:
                if (byte == 0xFF) {
                    f->state = kEntropyFf;
                } else {
                    n = TakeEntropyRun(f, byte, n);
                }
                break;
        }
    }
    return n;
}

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    JpegScanFilter* f = reinterpret_cast<JpegScanFilter*>(cinfo->src);
    size_t n = Fill(f);
    if (n == 0) {
        // The file has ended: say so, and end the picture as the stdio source does.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        f->out[0] = 0xFF;
        f->out[1] = JPEG_EOI;
        n = 2;
    }
    f->pub.next_input_byte = f->out;
    f->pub.bytes_in_buffer = n;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* src = cinfo->src;
    if (count <= 0) {
        return;
    }
    while (count > static_cast<long>(src->bytes_in_buffer)) {
        count -= static_cast<long>(src->bytes_in_buffer);
        src->fill_input_buffer(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

}  // namespace

void JpegUseScanFilter(jpeg_decompress_struct* cinfo, JpegScanFilter* filter, std::FILE* file) {
    filter->pub = jpeg_source_mgr{};
    filter->pub.init_source = InitSource;
    filter->pub.fill_input_buffer = FillInputBuffer;
    filter->pub.skip_input_data = SkipInputData;
    filter->pub.resync_to_restart = jpeg_resync_to_restart;
    filter->pub.term_source = TermSource;
    filter->file = file;
    std::memset(filter->dropAcOf, 0, sizeof filter->dropAcOf);
    filter->state = kBetween;
    filter->segmentLeft = filter->headerLength = filter->headerRead = 0;
    filter->dropping = filter->scanPending = false;
    filter->rawPos = filter->rawLen = 0;
    cinfo->src = &filter->pub;
}

}  // namespace imaging
