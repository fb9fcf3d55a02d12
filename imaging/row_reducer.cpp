#include "imaging/row_reducer.h"

#include <algorithm>
#include <cstring>

#include "imaging/scaling.h"

namespace imaging {

int RowReducer::Start(int sourceWidth, int sourceHeight, int width, int height) {
    if (width < 1 || height < 1 || width > sourceWidth || height > sourceHeight) {
        return 0;
    }
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    width_ = width;
    height_ = height;
    error_ = sourceHeight / 2;
    rowsRead_ = 0;
    written_ = 0;
    ended_ = false;
    // A source row may be written up to its 4-byte padding.
    row_.assign((static_cast<size_t>(sourceWidth) * 3 + 3) & ~size_t{3}, 0);
    line_.assign(static_cast<size_t>(width) * 3, 0);
    sums_.assign(line_.size(), 0);
    return 1;
}

int RowReducer::NextLine(uint8_t* out, const Pull& pull) {
    const size_t bytes = line_.size();
    if (ended_ || written_ >= height_) {
        std::memset(out, 0, bytes);
        return 0;
    }
    std::fill(sums_.begin(), sums_.end(), 0);
    uint32_t count = 0;
    while (rowsRead_ < sourceHeight_) {
        const bool more = pull(row_.data()) != 0;
        ++rowsRead_;
        ScaleRowPlain(row_.data(), line_.data(), sourceWidth_, width_);
        error_ += height_;
        if (error_ >= sourceHeight_ || written_ == height_ - 1 || !more) {
            for (size_t i = 0; i < bytes; ++i) {
                out[i] = static_cast<uint8_t>((sums_[i] + line_[i]) / (count + 1));
            }
            error_ -= sourceHeight_;
            ++written_;
            ended_ = !more;
            return more ? 1 : 0;
        }
        for (size_t i = 0; i < bytes; ++i) {
            sums_[i] += line_[i];
        }
        ++count;
    }
    std::memset(out, 0, bytes);
    return 0;
}

}  // namespace imaging
