#include "imaging/picture_loader.h"

#include <system_error>
#include <utility>

#include "platform/os/device_fs.h"
#include "platform/os/worker_clock.h"

namespace imaging {

struct PictureLoader::Job {
    uint64_t generation = 0;
    PictureRequest request;
    // Made on the thread that asked, so that a headless host counts the job from then on.
    std::unique_ptr<plat::WorkerClock::Ticket> ticket;
};

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
    : ready_(std::move(ready)), decode_(std::move(decode)) {
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: Start decodes on the caller's thread.
    }
}

PictureLoader::~PictureLoader() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        job_.reset();
    }
    queued_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void PictureLoader::Start(const PictureRequest& request) {
    auto job = std::make_unique<Job>();
    job->request = request;
    job->ticket = std::make_unique<plat::WorkerClock::Ticket>();
    std::unique_ptr<Job> dropped;
    std::unique_ptr<LoadedPicture> droppedResult;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job->generation = ++generation_;
        asked_ = true;
        wanted_ = request;
        droppedResult = std::move(result_);
        if (thread_.joinable()) {
            dropped = std::move(job_);
            job_ = std::move(job);
        }
    }
    if (!job) {
        queued_.notify_one();
        return;
    }
    // Without a worker the decode happens here.
    auto out = std::make_unique<LoadedPicture>();
    out->request = request;
    out->result = decode_(request, out.get());
    {
        std::lock_guard<std::mutex> lock(mutex_);
        result_ = std::move(out);
    }
    ready_();
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
    std::unique_ptr<Job> dropped;
    std::unique_ptr<LoadedPicture> droppedResult;
    std::lock_guard<std::mutex> lock(mutex_);
    ++generation_;
    asked_ = false;
    dropped = std::move(job_);
    droppedResult = std::move(result_);
}

void PictureLoader::Run() {
    for (;;) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            queued_.wait(lock, [this] { return stop_ || job_; });
            if (stop_) {
                return;
            }
            job = std::move(job_);
        }
        auto out = std::make_unique<LoadedPicture>();
        out->request = job->request;
        out->result = decode_(job->request, out.get());
        bool current = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            current = job->generation == generation_ && !stop_;
            if (current) {
                result_ = std::move(out);
            }
        }
        // Told before the ticket goes, so that a host waiting for the worker finds the news
        // already posted.
        if (current) {
            ready_();
        }
        out.reset();
        job.reset();
    }
}

}  // namespace imaging
