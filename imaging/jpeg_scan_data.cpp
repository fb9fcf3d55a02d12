#include "imaging/jpeg_scan_data.h"

#include <cstddef>

namespace imaging {

namespace {

constexpr int kEndOfImage = 0xD9;
constexpr int kStartOfScan = 0xDA;

// Buffered bytes of a stdio file; segments are skipped without being read.
class ByteReader {
  public:
    explicit ByteReader(std::FILE* file) : file_(file) {}

    // The next byte, or -1 at the end of the file.
    int Next() {
        if (pos_ == len_) {
            len_ = std::fread(buffer_, 1, sizeof buffer_, file_);
            pos_ = 0;
            if (len_ == 0) {
                return -1;
            }
        }
        return buffer_[pos_++];
    }

    bool Skip(long count) {
        const long buffered = static_cast<long>(len_ - pos_);
        if (count <= buffered) {
            pos_ += static_cast<size_t>(count);
            return true;
        }
        pos_ = len_;
        return std::fseek(file_, count - buffered, SEEK_CUR) == 0;
    }

  private:
    std::FILE* file_;
    unsigned char buffer_[4096];
    size_t pos_ = 0;
    size_t len_ = 0;
};

// The code of the next marker, skipping anything that is not one; -1 at the end of the file.
int NextMarker(ByteReader& in) {
    for (;;) {
        int c = in.Next();
        while (c >= 0 && c != 0xFF) {
            c = in.Next();
        }
        while (c == 0xFF) {
            c = in.Next();
        }
        if (c != 0) {
            return c;
        }
    }
}

bool IsStandalone(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

}  // namespace

uint64_t CountJpegScanBytes(std::FILE* file, uint64_t enough) {
    ByteReader in(file);
    if (in.Next() != 0xFF || in.Next() != 0xD8) {
        return 0;
    }
    uint64_t count = 0;
    int marker = NextMarker(in);
    while (marker >= 0 && marker != kEndOfImage) {
        if (IsStandalone(marker)) {
            marker = NextMarker(in);
            continue;
        }
        const int high = in.Next();
        const int low = in.Next();
        if (high < 0 || low < 0 || (high << 8 | low) < 2 || !in.Skip((high << 8 | low) - 2)) {
            return count;
        }
        if (marker != kStartOfScan) {
            marker = NextMarker(in);
            continue;
        }
        // Entropy-coded data up to the next marker that is not a restart marker.
        for (;;) {
            int c = in.Next();
            if (c < 0) {
                return count;
            }
            if (c == 0xFF) {
                do {
                    c = in.Next();
                } while (c == 0xFF);
                if (c < 0) {
                    return count;
                }
                if (c >= 0xD0 && c <= 0xD7) {
                    continue;
                }
                if (c != 0) {
                    marker = c;
                    break;
                }
            }
            if (++count >= enough) {
                return count;
            }
        }
    }
    return count;
}

}  // namespace imaging
