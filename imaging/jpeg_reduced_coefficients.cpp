#include "imaging/jpeg_reduced_coefficients.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The message codes of the library's errors.
#include <jerror.h>

namespace imaging {

namespace {

// The terms of the given rows and columns (a bit per row or column).
constexpr uint64_t Terms(unsigned rowsAndColumns) {
    uint64_t mask = 0;
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            if ((rowsAndColumns >> r & 1) && (rowsAndColumns >> c & 1)) {
                mask |= uint64_t{1} << (r * 8 + c);
            }
        }
    }
    return mask;
}
// libjpeg's 2 x 2 transform reads rows and columns 0, 1, 3, 5, 7; its 4 x 4 all but 4.
constexpr uint64_t kTwoByTwoTerms = Terms(0b10101011);
constexpr uint64_t kFourByFourTerms = Terms(0b11101111);
constexpr uint64_t kDcTerm = 1;

ReducedCoefficientStore* StoreOf(j_common_ptr cinfo) {
    return static_cast<ReducedCoefficientStore*>(cinfo->client_data);
}

}  // namespace

// Stands in for libjpeg's virtual block array.
struct ReducedCoefficientStore::Array {
    uint64_t terms = kDcTerm;
    JDIMENSION blocksPerRow = 0;
    JDIMENSION rows = 0;
    JDIMENSION maxAccess = 0;
    int pool = JPOOL_IMAGE;
    bool realized = false;
    std::vector<JCOEF> dc;                   // DC only: a term a block, row by row
    std::vector<uint64_t> nonZero;           // others: a bit per term a block
    std::vector<std::vector<JCOEF>> values;  // others: the kept non-zero terms of a row
    JBLOCKARRAY window = nullptr;            // whole blocks, from libjpeg's pool
    JDIMENSION first = 0;                    // the rows the window holds
    JDIMENSION count = 0;
    bool dirty = false;  // written since it was loaded
};

ReducedCoefficientStore::ReducedCoefficientStore() = default;
ReducedCoefficientStore::~ReducedCoefficientStore() = default;

uint64_t ReducedCoefficientStore::TermsRead(int size) {
    return size == 1 ? kDcTerm : size == 2 ? kTwoByTwoTerms : size == 4 ? kFourByFourTerms : 0;
}

void ReducedCoefficientStore::Install(jpeg_decompress_struct* cinfo, const uint64_t* terms,
                                      int components) {
    Clear();
    components_ = components < MAX_COMPONENTS ? components : MAX_COMPONENTS;
    for (int ci = 0; ci < components_; ++ci) {
        terms_[ci] = terms[ci];
    }
    realizeOthers_ = cinfo->mem->realize_virt_arrays;
    cinfo->client_data = this;
    cinfo->mem->request_virt_barray = Request;
    cinfo->mem->realize_virt_arrays = Realize;
    cinfo->mem->access_virt_barray = Access;
}

void ReducedCoefficientStore::Clear() {
    arrays_.clear();
    bytes_ = 0;
}

jvirt_barray_ptr ReducedCoefficientStore::Request(j_common_ptr cinfo, int pool, boolean /*preZero*/,
                                                  JDIMENSION blocksPerRow, JDIMENSION rows,
                                                  JDIMENSION maxAccess) {
    ReducedCoefficientStore* store = StoreOf(cinfo);
    if (pool != JPOOL_IMAGE) {
        ERREXIT1(cinfo, JERR_BAD_POOL_ID, pool);
    }
    if (static_cast<int>(store->arrays_.size()) >= store->components_) {
        ERREXIT(cinfo, JERR_VIRTUAL_BUG);
    }
    store->arrays_.push_back(std::make_unique<Array>());
    Array* a = store->arrays_.back().get();
    a->terms = store->terms_[store->arrays_.size() - 1];
    a->blocksPerRow = blocksPerRow;
    a->rows = rows;
    a->maxAccess = maxAccess == 0 || maxAccess > rows ? rows : maxAccess;
    a->pool = pool;
    return reinterpret_cast<jvirt_barray_ptr>(a);
}

// Makes every array, zeroed (the decoder asks for zeroed coefficients), within the decoder's
// memory limit.
void ReducedCoefficientStore::Realize(j_common_ptr cinfo) {
    ReducedCoefficientStore* store = StoreOf(cinfo);
    uint64_t total = store->bytes_;
    for (const std::unique_ptr<Array>& a : store->arrays_) {
        if (!a->realized) {
            const uint64_t blocks = uint64_t{a->blocksPerRow} * a->rows;
            total += blocks * (a->terms == kDcTerm ? sizeof(JCOEF) : sizeof(uint64_t)) +
                     uint64_t{a->blocksPerRow} * a->maxAccess * sizeof(JBLOCK);
        }
    }
    const long limit = cinfo->mem->max_memory_to_use;
    if (limit > 0 && total > static_cast<uint64_t>(limit)) {
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    }
    store->bytes_ = total;
    for (const std::unique_ptr<Array>& a : store->arrays_) {
        if (a->realized || a->blocksPerRow == 0 || a->rows == 0) {
            continue;
        }
        const size_t blocks = size_t{a->blocksPerRow} * a->rows;
        if (a->terms == kDcTerm) {
            a->dc.assign(blocks, 0);
        } else {
            a->nonZero.assign(blocks, 0);
            a->values.resize(a->rows);
        }
        a->window = cinfo->mem->alloc_barray(cinfo, a->pool, a->blocksPerRow, a->maxAccess);
        a->realized = true;
    }
    store->realizeOthers_(cinfo);
}

namespace {

using Array = ReducedCoefficientStore::Array;

// A bit for each non-zero term of a block; this runs for every block of every scan.
uint64_t NonZeroTerms(const JBLOCK block) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    uint64_t zeros = 0;
    for (int k = 0; k < DCTSIZE2; k += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + k));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + k + 8));
        const __m128i bytes =
            _mm_packs_epi16(_mm_cmpeq_epi16(low, zero), _mm_cmpeq_epi16(high, zero));
        zeros |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(bytes))) << k;
    }
    return ~zeros;
#else
    uint64_t mask = 0;
    for (int k = 0; k < DCTSIZE2; ++k) {
        mask |= uint64_t{block[k] != 0} << k;
    }
    return mask;
#endif
}

// Notes each block's non-zero terms; returns how many of them the transform reads.
size_t NoteNonZero(const Array* a, JBLOCKROW blocks, uint64_t* nonZero) {
    size_t kept = 0;
    for (JDIMENSION b = 0; b < a->blocksPerRow; ++b) {
        const uint64_t mask = NonZeroTerms(blocks[b]);
        nonZero[b] = mask;
        kept += static_cast<size_t>(std::popcount(mask & a->terms));
    }
    return kept;
}

// Expands the stored rows into the window. A non-zero term the transform does not read gets
// a stand-in value: refinement only asks whether it is zero.
void Load(Array* a, JDIMENSION first, JDIMENSION count) {
    for (JDIMENSION r = 0; r < count; ++r) {
        const size_t row = size_t{first} + r;
        const JBLOCKROW blocks = a->window[r];
        std::memset(blocks, 0, size_t{a->blocksPerRow} * sizeof(JBLOCK));
        if (a->terms == kDcTerm) {
            const JCOEF* dc = a->dc.data() + row * a->blocksPerRow;
            for (JDIMENSION b = 0; b < a->blocksPerRow; ++b) {
                blocks[b][0] = dc[b];
            }
            continue;
        }
        const uint64_t* nonZero = a->nonZero.data() + row * a->blocksPerRow;
        const std::vector<JCOEF>& values = a->values[row];
        size_t i = 0;
        for (JDIMENSION b = 0; b < a->blocksPerRow; ++b) {
            for (uint64_t m = nonZero[b]; m != 0; m &= m - 1) {
                const int k = __builtin_ctzll(m);
                blocks[b][k] = (a->terms >> k & 1) && i < values.size() ? values[i++] : 1;
            }
        }
    }
    a->first = first;
    a->count = count;
    a->dirty = false;
}

}  // namespace

// Packs the window's rows back into the store.
void ReducedCoefficientStore::Save(j_common_ptr cinfo, Array* a) {
    const long limit = cinfo->mem->max_memory_to_use;
    for (JDIMENSION r = 0; r < a->count; ++r) {
        const size_t row = size_t{a->first} + r;
        const JBLOCKROW blocks = a->window[r];
        if (a->terms == kDcTerm) {
            JCOEF* dc = a->dc.data() + row * a->blocksPerRow;
            for (JDIMENSION b = 0; b < a->blocksPerRow; ++b) {
                dc[b] = blocks[b][0];
            }
            continue;
        }
        uint64_t* nonZero = a->nonZero.data() + row * a->blocksPerRow;
        const size_t kept = NoteNonZero(a, blocks, nonZero);
        std::vector<JCOEF>& values = a->values[row];
        const uint64_t total = bytes_ - values.size() * sizeof(JCOEF) + kept * sizeof(JCOEF);
        if (limit > 0 && total > static_cast<uint64_t>(limit)) {
            ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
        }
        bytes_ = total;
        values.resize(kept);
        size_t i = 0;
        for (JDIMENSION b = 0; b < a->blocksPerRow; ++b) {
            for (uint64_t m = nonZero[b] & a->terms; m != 0; m &= m - 1) {
                values[i++] = blocks[b][__builtin_ctzll(m)];
            }
        }
    }
    a->dirty = false;
}

JBLOCKARRAY ReducedCoefficientStore::Access(j_common_ptr cinfo, jvirt_barray_ptr ptr,
                                            JDIMENSION first, JDIMENSION count, boolean writable) {
    ReducedCoefficientStore* store = StoreOf(cinfo);
    Array* a = reinterpret_cast<Array*>(ptr);
    if (!a->realized) {
        ERREXIT(cinfo, JERR_VIRTUAL_BUG);
    }
    if (count > a->maxAccess || first > a->rows || count > a->rows - first) {
        ERREXIT(cinfo, JERR_BAD_VIRTUAL_ACCESS);
    }
    if (first != a->first || count != a->count) {
        if (a->dirty) {
            store->Save(cinfo, a);
        }
        Load(a, first, count);
    }
    if (writable) {
        a->dirty = true;
    }
    return a->window;
}

}  // namespace imaging
