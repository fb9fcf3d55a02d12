// Coefficient arrays for a 1/8-scale decode of a progressive JPEG, holding only the terms the
// reduced transforms read.
//
// A progressive JPEG makes libjpeg keep every coefficient of the whole picture (128 bytes a
// block, ~71 MiB for 24 megapixels) until its last scan has been read. At 1/8 scale a
// component becomes one pixel a block, read from the DC term alone; a chroma component
// sampled at half the height and width is transformed to 2 x 2 pixels a block, which reads
// the 25 terms of rows and columns 0, 1, 3, 5 and 7. The store keeps, per block:
//   - one-pixel components: the DC term (their AC scans are left out, see jpeg_scan_filter.h);
//   - 2 x 2 components: which of the 64 terms are non-zero (refinement scans read a bit for
//     each non-zero term, so this keeps them in step) and the values of the non-zero terms
//     the transform reads, packed row by row.
// The decoder works on a window of whole blocks over the rows it is at; only those rows are
// expanded. The store takes over the block-array methods of one decompressor's memory manager
// and counts its memory against the decoder's memory limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace imaging {

class ReducedCoefficientStore {
  public:
    // How much of each block a component keeps.
    enum Keep { kDcOnly, kTwoByTwo };

    struct Array;

    ReducedCoefficientStore();
    ~ReducedCoefficientStore();
    ReducedCoefficientStore(const ReducedCoefficientStore&) = delete;
    ReducedCoefficientStore& operator=(const ReducedCoefficientStore&) = delete;

    // Makes `cinfo` keep its block arrays here (after jpeg_read_header, before
    // jpeg_start_decompress; cinfo->client_data then points at the store). keep[ci] says what
    // component ci keeps; the decoder asks for one array per component, in component order.
    void Install(jpeg_decompress_struct* cinfo, const Keep* keep, int components);

    // Frees every array (after jpeg_destroy_decompress).
    void Clear();

  private:
    static jvirt_barray_ptr Request(j_common_ptr cinfo, int pool, boolean preZero,
                                    JDIMENSION blocksPerRow, JDIMENSION rows, JDIMENSION maxAccess);
    static void Realize(j_common_ptr cinfo);
    static JBLOCKARRAY Access(j_common_ptr cinfo, jvirt_barray_ptr ptr, JDIMENSION first,
                              JDIMENSION count, boolean writable);
    void Save(j_common_ptr cinfo, Array* a);

    void (*realizeOthers_)(j_common_ptr cinfo) = nullptr;
    Keep keep_[MAX_COMPONENTS] = {};
    int components_ = 0;
    std::vector<std::unique_ptr<Array>> arrays_;
    uint64_t bytes_ = 0;  // held by the arrays, counted against the memory limit
};

}  // namespace imaging
