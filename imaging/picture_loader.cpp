#include "imaging/picture_loader.h"

#include <utility>

#include "platform/os/device_fs.h"

namespace imaging {

PictureRequest DescribePicture(const std::string& path, const ImagingContext& context) {
    PictureRequest request;
    request.path = path;
    request.context = context;
    plat::FileInfo info;
    if (plat::DeviceFs::Stat(path, &info)) {
        request.fileSize = info.size;
        request.lastWriteTime = info.lastWriteTime;
        request.lastWriteNanos = info.lastWriteNanos;
    }
    return request;
}

int PictureLoader::DecodeForView(const PictureRequest& request, LoadedPicture* out) {
    out->image = std::make_unique<ImageBuffer>();
    const int result = LoadImageFile(request.path, out->image.get(), 0, 0, request.context,
                                     &out->fileWidth, &out->fileHeight);
    if (result != 1) {
        out->image.reset();
    }
    return result;
}

PictureLoader::PictureLoader(std::function<void()> ready, Decode decode)
    : ready_(std::move(ready)),
      decode_(std::move(decode)),
      pool_(std::make_unique<plat::WorkerPool>(1)) {}

PictureLoader::~PictureLoader() {
    // Drops a queued decode and waits for a running one, which then finds itself stale.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
    }
    pool_.reset();
}

void PictureLoader::Start(const PictureRequest& request) {
    std::unique_ptr<LoadedPicture> dropped;
    uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generation = ++generation_;
        asked_ = true;
        wanted_ = request;
        dropped = std::move(result_);
    }
    // Only the picture asked for last is wanted: one that has not started yet never will.
    pool_->DropQueued([](uint64_t) { return true; });
    pool_->Submit(generation, [this, generation, request] { RunDecode(generation, request); });
}

bool PictureLoader::Holds(const PictureRequest& request) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return asked_ && wanted_ == request;
}

std::unique_ptr<LoadedPicture> PictureLoader::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!result_) {
        return nullptr;
    }
    asked_ = false;
    return std::move(result_);
}

void PictureLoader::Clear() {
    std::unique_ptr<LoadedPicture> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
        asked_ = false;
        dropped = std::move(result_);
    }
    pool_->DropQueued([](uint64_t) { return true; });
}

void PictureLoader::RunDecode(uint64_t generation, const PictureRequest& request) {
    auto out = std::make_unique<LoadedPicture>();
    out->request = request;
    out->result = decode_(request, out.get());
    bool current = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        current = generation == generation_;
        if (current) {
            result_ = std::move(out);
        }
    }
    // Told while the pool still counts the job, so that a host waiting for the worker finds
    // the news already posted.
    if (current) {
        ready_();
    }
}

}  // namespace imaging
