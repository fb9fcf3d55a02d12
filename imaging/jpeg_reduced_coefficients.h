// Coefficient arrays for a reduced decode (1/8 or 2/8) of a progressive JPEG, holding only the
// terms the reduced transforms read.
//
// A progressive JPEG makes libjpeg keep every coefficient of the whole picture (128 bytes a
// block, ~71 MiB for 24 megapixels) until its last scan has been read. At 1/8 scale a
// component becomes one pixel a block, read from the DC term alone; a component transformed
// to 2 x 2 pixels a block (chroma sampled at half the height and width at 1/8, every component
// at 2/8) reads the 25 terms of rows and columns 0, 1, 3, 5 and 7, and one transformed to
// 4 x 4 the 49 terms of rows and columns 0-3 and 5-7. The store keeps, per block:
//   - one-pixel components: the DC term (their AC scans are left out, see jpeg_scan_filter.h);
//   - others: which of the 64 terms are non-zero (refinement scans read a bit for each
//     non-zero term, so this keeps them in step) and the values of the non-zero terms the
//     transform reads, packed row by row.
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
    struct Array;

    // The terms a reduced transform to size x size pixels a block reads, a bit per term in
    // natural order (bit 0 the DC term); 0 for a size that reads every term.
    static uint64_t TermsRead(int size);

    ReducedCoefficientStore();
    ~ReducedCoefficientStore();
    ReducedCoefficientStore(const ReducedCoefficientStore&) = delete;
    ReducedCoefficientStore& operator=(const ReducedCoefficientStore&) = delete;

    // Makes `cinfo` keep its block arrays here (after jpeg_read_header, before
    // jpeg_start_decompress; cinfo->client_data then points at the store). terms[ci] are the
    // terms component ci keeps (TermsRead); the decoder asks for one array per component, in
    // component order.
    void Install(jpeg_decompress_struct* cinfo, const uint64_t* terms, int components);

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
    uint64_t terms_[MAX_COMPONENTS] = {};
    int components_ = 0;
    std::vector<std::unique_ptr<Array>> arrays_;
    uint64_t bytes_ = 0;  // held by the arrays, counted against the memory limit
};

}  // namespace imaging
