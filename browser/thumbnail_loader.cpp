#include "browser/thumbnail_loader.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/app_state.h"
#include "core/file_list.h"
#include "imaging/loaders.h"
#include "platform/os/worker_pool.h"
#include "resources/artwork.h"
#include "resources/resource_ids.h"

namespace {

// What a thumbnail was made for; a result is stored only while all of it still holds.
struct Request {
    uint64_t serial = 0;
    uint64_t entryId = 0;
    uint64_t epoch = 0;
    int hint = 0;  // the entry's index when asked
    int boxWidth = 0;
    int boxHeight = 0;
    imaging::ImagingContext context;
};

struct Result {
    Request request;
    std::unique_ptr<plat::Bitmap> bitmap;  // null: the picture cannot be decoded
    int width = 0;
    int height = 0;
};

void Store(FileEntry* entry, std::unique_ptr<plat::Bitmap> bitmap, int width, int height) {
    if (bitmap) {
        entry->thumbnail = std::move(bitmap);
        entry->imageWidth = static_cast<int16_t>(std::clamp(width, 0, 32767));
        entry->imageHeight = static_cast<int16_t>(std::clamp(height, 0, 32767));
    } else {
        entry->thumbnail = res::LoadBitmapResource(kBmpUndecodable);
        entry->imageWidth = 0;
        entry->imageHeight = 0;
    }
}

class Decoders {
  public:
    Decoders(plat::Window* target, int threads)
        : target_(target), pool_(std::make_unique<plat::WorkerPool>(threads)) {}
    ~Decoders() { pool_.reset(); }  // no job runs past this point

    void Submit(Request request, std::string path) {
        request.serial = ++serial_;
        // An older request of the entry that has not started is of no use any more.
        pool_->DropQueued([&request](uint64_t entryId) { return entryId == request.entryId; });
        outstanding_[request.entryId] = request;
        pool_->Submit(request.entryId, [this, request, path = std::move(path)] {
            Result r;
            r.request = request;
            r.width = request.boxWidth;
            r.height = request.boxHeight;
            r.bitmap = imaging::LoadThumbnailBitmap(path, request.context, &r.width, &r.height);
            Deliver(std::move(r));
        });
    }

    void Drop(const std::function<bool(uint64_t entryId)>& drop) {
        pool_->DropQueued([&](uint64_t entryId) {
            if (!drop(entryId)) {
                return false;
            }
            outstanding_.erase(entryId);
            return true;
        });
    }

    std::vector<Result> Take() {
        std::vector<Result> taken;
        {
            std::lock_guard<std::mutex> lock(resultsMutex_);
            taken.swap(results_);
        }
        return taken;
    }

    // A result leaves the books when it is the entry's latest request.
    bool Settle(const Request& request) {
        const auto it = outstanding_.find(request.entryId);
        if (it == outstanding_.end() || it->second.serial != request.serial) {
            return false;
        }
        outstanding_.erase(it);
        return true;
    }

    const std::unordered_map<uint64_t, Request>& Outstanding() const { return outstanding_; }

  private:
    // Worker side.
    void Deliver(Result result) {
        bool first = false;
        {
            std::lock_guard<std::mutex> lock(resultsMutex_);
            first = results_.empty();
            results_.push_back(std::move(result));
        }
        if (first) {
            target_->Post(kThumbnailsReadyMessage);
        }
    }

    plat::Window* target_;
    uint64_t serial_ = 0;
    // User-interface thread only: the latest request of every entry not yet settled.
    std::unordered_map<uint64_t, Request> outstanding_;
    std::mutex resultsMutex_;
    std::vector<Result> results_;
    // Last, so its threads are joined before anything they use goes.
    std::unique_ptr<plat::WorkerPool> pool_;
};

std::unique_ptr<Decoders>& TheDecoders() {
    static std::unique_ptr<Decoders> decoders;
    return decoders;
}

}  // namespace

void StartThumbnailDecoders(AppState* app, int threads) {
    StopThumbnailDecoders();
    if (threads < 0) {
        threads = plat::WorkerPool::CoreCount();
    }
    if (threads > 0 && app->mainWindow) {
        TheDecoders() = std::make_unique<Decoders>(app->mainWindow, threads);
    }
}

void StopThumbnailDecoders() {
    TheDecoders().reset();
}

bool RequestThumbnail(AppState* app, int index, int boxWidth, int boxHeight) {
    FileEntry* entry = app->fileList->GetEntry(index);
    if (!entry) {
        return false;
    }
    if (entry->thumbnail) {
        return true;
    }
    const imaging::ImagingContext context = LoadingContext(app);
    Decoders* decoders = TheDecoders().get();
    if (!decoders) {
        int w = boxWidth;
        int h = boxHeight;
        std::unique_ptr<plat::Bitmap> bitmap =
            imaging::LoadThumbnailBitmap(app->fileList->FullPath(index), context, &w, &h);
        Store(entry, std::move(bitmap), w, h);
        return true;
    }
    const auto it = decoders->Outstanding().find(entry->id);
    if (it != decoders->Outstanding().end() &&
        it->second.epoch == app->fileList->ThumbnailEpoch() && it->second.boxWidth == boxWidth &&
        it->second.boxHeight == boxHeight && it->second.context == context) {
        return false;  // on its way
    }
    Request request;
    request.entryId = entry->id;
    request.epoch = app->fileList->ThumbnailEpoch();
    request.hint = index;
    request.boxWidth = boxWidth;
    request.boxHeight = boxHeight;
    request.context = context;
    decoders->Submit(request, app->fileList->FullPath(index));
    return false;
}

void KeepThumbnailsFor(AppState* app, int first, int last) {
    Decoders* decoders = TheDecoders().get();
    if (!decoders || decoders->Outstanding().empty()) {
        return;
    }
    decoders->Drop([&](uint64_t entryId) {
        const auto it = decoders->Outstanding().find(entryId);
        const int index = app->fileList->IndexOfId(
            entryId, it == decoders->Outstanding().end() ? -1 : it->second.hint);
        return index < first || index > last;
    });
}

void TakeThumbnails(AppState* app, int boxWidth, int boxHeight, std::vector<int>* changed) {
    changed->clear();
    Decoders* decoders = TheDecoders().get();
    if (!decoders) {
        return;
    }
    for (Result& r : decoders->Take()) {
        const Request& q = r.request;
        if (!decoders->Settle(q)) {
            continue;  // a later request for the entry is on its way
        }
        const int index = app->fileList->IndexOfId(q.entryId, q.hint);
        FileEntry* entry = index >= 0 ? app->fileList->GetEntry(index) : nullptr;
        if (!entry || entry->thumbnail) {
            continue;
        }
        if (q.epoch == app->fileList->ThumbnailEpoch() && q.boxWidth == boxWidth &&
            q.boxHeight == boxHeight && q.context == LoadingContext(app)) {
            Store(entry, std::move(r.bitmap), r.width, r.height);
        }
        changed->push_back(index);
    }
}

int ThumbnailsOutstanding() {
    const Decoders* decoders = TheDecoders().get();
    return decoders ? static_cast<int>(decoders->Outstanding().size()) : 0;
}
