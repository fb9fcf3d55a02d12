#include "imaging/jpeg_guard.h"

// The message codes of the library's warnings.
#include <jerror.h>

namespace imaging {

namespace {

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    std::longjmp(manager->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0 || !cinfo->is_decompressor) {
        return;  // trace messages, and nothing a compressor says
    }
    const int code = cinfo->err->msg_code;
    const j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (code == JWRN_JPEG_EOF || (code == JWRN_HIT_MARKER && d->unread_marker == 0xD9)) {
        reinterpret_cast<JpegErrorManager*>(cinfo->err)->dataEnded = 1;
    }
}

void OutputMessage(j_common_ptr) {}

// Called between scans and passes; progressive files with thousands of tiny scans would
// otherwise keep the decoder busy for minutes.
void Progress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) {
        return;
    }
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > manager->maxScans) {
        cinfo->err->error_exit(cinfo);
    }
}

}  // namespace

jpeg_error_mgr* JpegInitErrors(JpegErrorManager* manager) {
    jpeg_error_mgr* err = jpeg_std_error(&manager->pub);
    err->error_exit = ErrorExit;
    err->emit_message = EmitMessage;
    err->output_message = OutputMessage;
    manager->maxScans = 500;
    manager->dataEnded = 0;
    manager->progress = jpeg_progress_mgr{};
    manager->progress.progress_monitor = Progress;
    return err;
}

int JpegGuardCreateDecompress(jpeg_decompress_struct* cinfo) {
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (setjmp(manager->jump)) {
        return 0;
    }
    jpeg_create_decompress(cinfo);
    cinfo->progress = &manager->progress;
    return 1;
}

int JpegGuardReadHeader(jpeg_decompress_struct* cinfo) {
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (setjmp(manager->jump)) {
        return 0;
    }
    return jpeg_read_header(cinfo, TRUE) == JPEG_HEADER_OK ? 1 : 0;
}

int JpegGuardCalcOutputDimensions(jpeg_decompress_struct* cinfo) {
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (setjmp(manager->jump)) {
        return 0;
    }
    jpeg_calc_output_dimensions(cinfo);
    return 1;
}

int JpegGuardStartDecompress(jpeg_decompress_struct* cinfo) {
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (setjmp(manager->jump)) {
        return 0;
    }
    return jpeg_start_decompress(cinfo) ? 1 : 0;
}

int JpegGuardReadScanline(jpeg_decompress_struct* cinfo, JSAMPROW row) {
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (setjmp(manager->jump)) {
        return 0;
    }
    JSAMPROW rows[1] = {row};
    return jpeg_read_scanlines(cinfo, rows, 1) == 1 ? 1 : 0;
}

int JpegGuardCompress(jpeg_compress_struct* cinfo, std::FILE* out, const JpegCompressJob* job) {
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (setjmp(manager->jump)) {
        return 0;
    }
    jpeg_create_compress(cinfo);
    jpeg_stdio_dest(cinfo, out);
    cinfo->image_width = static_cast<JDIMENSION>(job->width);
    cinfo->image_height = static_cast<JDIMENSION>(job->height);
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(cinfo);
    cinfo->dct_method = JDCT_ISLOW;
    if (job->grayscale) {
        jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
    }
    jpeg_set_quality(cinfo, job->quality, TRUE);
    if (job->progressive) {
        jpeg_simple_progression(cinfo);
    }
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        // Rows are stored bottom-up; the encoder wants the top row first.
        const long stored = job->height - 1 - static_cast<long>(cinfo->next_scanline);
        JSAMPROW row[1] = {const_cast<JSAMPROW>(job->rows + stored * job->bytesPerRow)};
        jpeg_write_scanlines(cinfo, row, 1);
    }
    jpeg_finish_compress(cinfo);
    return 1;
}

}  // namespace imaging
