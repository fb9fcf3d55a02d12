// Reducing a picture while its rows arrive, top row first: each row is scaled to the target
// width, and runs of rows are averaged into one line, by the same error stepping the loaders
// use, so a decoder can hand out a smaller picture than it decodes with one row of memory.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace imaging {

class RowReducer {
  public:
    // Reads one source row of sourceWidth x 3 bytes; 1, or 0 when the data has ended (the row
    // then holds what could be read).
    using Pull = std::function<int(uint8_t* row)>;

    // Prepares the reduction of sourceWidth x sourceHeight rows to width x height lines; the
    // target is never larger than the source. 0 when a size is not positive or larger than
    // the source.
    int Start(int sourceWidth, int sourceHeight, int width, int height);

    // Writes the next line (width x 3 bytes): the average of the source rows that fall on it.
    // The last line is the single row that follows the line before it, and rows after it are
    // never read. Returns 1, or 0 when the source data ended on this line or all lines were
    // given (the line then holds what was read, black where nothing was).
    int NextLine(uint8_t* out, const Pull& pull);

  private:
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    int error_ = 0;
    int rowsRead_ = 0;
    int written_ = 0;
    bool ended_ = false;
    std::vector<uint8_t> row_;
    std::vector<uint8_t> line_;
    std::vector<uint32_t> sums_;
};

}  // namespace imaging
