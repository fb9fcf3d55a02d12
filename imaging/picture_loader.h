// Pictures for the image view decoded on a worker thread, one at a time, so that keys, menus
// and Back are answered while a camera photo decodes, and the next picture can be decoded
// while the user looks at the current one.
//
// The loader holds at most one picture: the one asked for last, decoding or done. Asking for
// another drops it (a decode already running finishes and its result is thrown away). While a
// decode is queued or running it holds a WorkerClock ticket, so a headless host waits for it;
// an idle loader holds none.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "imaging/image_buffer.h"
#include "imaging/loaders.h"

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
    struct Job;
    void Run();

    std::function<void()> ready_;
    Decode decode_;
    mutable std::mutex mutex_;
    std::condition_variable queued_;
    bool stop_ = false;
    bool asked_ = false;  // a Start not yet taken or cleared
    uint64_t generation_ = 0;
    PictureRequest wanted_;
    std::unique_ptr<Job> job_;               // waiting for the worker
    std::unique_ptr<LoadedPicture> result_;  // done, for generation_
    std::thread thread_;
};

}  // namespace imaging
