// Pictures for the image view decoded on a worker thread, one at a time, so that keys, menus
// and Back are answered while a camera photo decodes, and the next picture can be decoded
// while the user looks at the current one.
//
// The loader holds at most one picture: the one asked for last, decoding or done. Asking for
// another drops it (a decode already running finishes and its result is thrown away). Its one
// worker is a WorkerPool, busy on the worker clock while a decode is queued or running, so a
// headless host waits for the decode and an idle loader holds nothing up.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "imaging/image_buffer.h"
#include "imaging/loaders.h"
#include "platform/os/worker_pool.h"

namespace imaging {

// Everything a view decode depends on: two equal requests give the same picture.
struct PictureRequest {
    std::string path;
    ImagingContext context;
    // The file as it was when asked for; a file changed since is a different request.
    uint64_t fileSize = 0;
    int64_t lastWriteTime = 0;
    int64_t lastWriteNanos = 0;

    bool operator==(const PictureRequest&) const = default;
};

// The request for `path` as the file is now (a missing file gets no date; its load fails).
PictureRequest DescribePicture(const std::string& path, const ImagingContext& context);

struct LoadedPicture {
    PictureRequest request;
    int result = 0;  // LoadImageFile's
    std::unique_ptr<ImageBuffer> image;
    int fileWidth = 0;
    int fileHeight = 0;
};

class PictureLoader {
  public:
    // Runs on the worker: fills `out` for `request`, returns the load's result.
    using Decode = std::function<int(const PictureRequest& request, LoadedPicture* out)>;
    // The image view's decode (LoadImageFile, fit 0, the orientation of the request).
    static int DecodeForView(const PictureRequest& request, LoadedPicture* out);

    // `ready` runs on the worker whenever the picture asked for last is done (e.g. it posts a
    // message to the window that takes it).
    explicit PictureLoader(std::function<void()> ready, Decode decode = DecodeForView);
    ~PictureLoader();
    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;

    // Decodes `request` next, dropping whatever was asked for before.
    void Start(const PictureRequest& request);
    // True when the last Start (not yet taken or cleared) was for `request`.
    bool Holds(const PictureRequest& request) const;
    // The picture of the last Start once it is done, else null (still decoding, or nothing).
    std::unique_ptr<LoadedPicture> Take();
    // Drops the picture asked for, decoding or done.
    void Clear();

  private:
    // Runs on the worker: the decode of generation `generation`, kept when it is still the
    // one asked for.
    void RunDecode(uint64_t generation, const PictureRequest& request);

    std::function<void()> ready_;
    Decode decode_;
    mutable std::mutex mutex_;
    bool asked_ = false;  // a Start not yet taken or cleared
    uint64_t generation_ = 0;
    PictureRequest wanted_;
    std::unique_ptr<LoadedPicture> result_;  // done, for generation_
    // Declared last, so that it is gone (its thread joined) before the state above.
    std::unique_ptr<plat::WorkerPool> pool_;
};

}  // namespace imaging
