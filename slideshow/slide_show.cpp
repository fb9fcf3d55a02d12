#include "slideshow/slide_show.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "core/paths.h"
#include "imaging/image_buffer.h"
#include "imaging/image_painter.h"
#include "imaging/loaders.h"
#include "platform/window/messages.h"
#include "platform/window/sound.h"
#include "platform/window/window_system.h"
#include "slideshow/effects.h"
#include "slideshow/slide_show_player.h"

namespace {

int SettingInRange(int nameId, int defaultValue, int low, int high) {
    const int value = GetIntSetting(kStrSlideSection, nameId, defaultValue);
    return (value < low || value > high) ? defaultValue : value;
}

// Loads picture `index` fitted to the screen and brings it in with a transition.
bool ShowPicture(AppState* app, SlideShowPlayer& player, int index) {
    FileList& list = *app->fileList;
    const FileEntry* entry = list.GetEntry(index);
    if (!entry || entry->isFolder) {
        return false;
    }
    const std::string name = entry->name;
    const std::string path = list.FullPath(index);
    auto image = std::unique_ptr<imaging::ImageBuffer>(new (std::nothrow) imaging::ImageBuffer);
    if (!image) {
        return false;
    }
    int loaded = 0;
    {
        WaitCursor wait;
        loaded = imaging::LoadImageFile(path, image.get(), 1, 0, LoadingContext(app));
    }
    if (loaded != 1 || image->BitsPerPixel() != 24) {
        return false;
    }
    app->currentImage = std::move(image);
    player.StartTransition(*app->currentImage, name);
    return true;
}

enum class Move { kNone, kShown, kFailed, kEnd };

// Acts on the pending advance key: the previous or the next picture, with wrap-around as the
// sync mode and "Repeat" say. A picture that does not load leaves the key in place, so the
// next pass moves on from it in the same direction.
Move Advance(AppState* app, SlideShowPlayer& player, bool repeat) {
    FileList& list = *app->fileList;
    const unsigned key = player.advanceKey;
    int target = -1;
    if (key == plat::VK_UP || key == plat::VK_LEFT) {
        target = list.StepPicture(list.currentIndex, true);
    } else if (key == plat::VK_DOWN || key == plat::VK_RIGHT) {
        target = list.currentIndex + 1;
        if (target >= list.Count()) {
            if (!repeat && player.syncMode != kDirectionKey) {
                return Move::kEnd;
            }
            target = list.FolderCount();
        }
    } else {
        // Not a direction: nothing to do (a key queued during a transition ends here).
        player.advanceKey = 0;
        return Move::kNone;
    }
    if (!list.GetEntry(target)) {
        return Move::kNone;
    }
    list.Select(target);
    if (!ShowPicture(app, player, target)) {
        return Move::kFailed;
    }
    player.advanceKey = 0;
    return Move::kShown;
}

// The show loop: messages are taken one at a time (waiting for the next timer tick or key
// when there is nothing to do) and the player's requests are acted on after each.
void RunShowLoop(AppState* app, SlideShowPlayer& player, bool repeat) {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    int failures = 0;
    plat::Message m;
    for (;;) {
        // A command that switched the window to another mode ends the show as well: its
        // ticks and keys no longer reach it.
        if (player.stopRequested || app->viewMode != kSlideShow) {
            return;
        }
        bool retry = false;
        const int pictures = app->fileList->pictureCount;
        if (pictures > 0 && player.advanceKey != 0) {
            switch (Advance(app, player, repeat)) {
                case Move::kEnd:
                    return;
                case Move::kShown:
                    failures = 0;
                    break;
                case Move::kFailed:
                    // Skip on without waiting; once every picture has failed in a row there
                    // is nothing left to show, and the show waits for the user.
                    retry = ++failures < pictures;
                    if (!retry) {
                        player.advanceKey = 0;
                        failures = 0;
                    }
                    break;
                case Move::kNone:
                    break;
            }
            if (player.stopRequested) {
                return;
            }
        }
        const bool got = retry ? ws.PeekMessage(&m) : true;
        if (!retry && !ws.GetMessage(&m)) {
            ws.PostQuit(static_cast<int>(m.wParam));
            return;
        }
        if (got) {
            if (m.message == plat::WM_QUIT) {
                ws.PostQuit(static_cast<int>(m.wParam));
                return;
            }
            ws.Dispatch(m);
        }
    }
}

// Everything a show changes, put back when it ends whichever way it ends.
class ShowScope {
  public:
    explicit ShowScope(AppState* app) : app_(app) {
        plat::WindowSystem& ws = plat::WindowSystem::Get();
        if (plat::Host* host = ws.GetHost()) {
            screenSaverWas_ = host->ScreenSaverAllowed();
            host->SetScreenSaverAllowed(false);
        }
        if (!app_->fullScreen) {
            SetFullScreen(app_, true);
        }
        loadSizeLevel_ = app_->loadSizeLevel;
        app_->loadSizeLevel = 0;
        orientation_ = app_->orientation;
    }
    ~ShowScope() {
        if (app_->orientation != orientation_) {
            app_->orientation = orientation_;
        }
        app_->loadSizeLevel = loadSizeLevel_;
        // Always back out of full screen, even when the show found the window full screen.
        SetFullScreen(app_, false);
        if (plat::Host* host = plat::WindowSystem::Get().GetHost()) {
            host->SetScreenSaverAllowed(screenSaverWas_);
        }
    }
    ShowScope(const ShowScope&) = delete;
    ShowScope& operator=(const ShowScope&) = delete;

  private:
    AppState* app_;
    bool screenSaverWas_ = true;
    int16_t loadSizeLevel_ = 0;
    int16_t orientation_ = 0;
};

// The running show as the window system's list of modal loops shows it, so that the headless
// host can end it as Back would.
class ModalRegistration {
  public:
    explicit ModalRegistration(SlideShowPlayer* player) {
        plat::WindowSystem::Get().PushModal(
            plat::ModalLoop{"slideShow", [player] { player->RequestStop(); }});
    }
    ~ModalRegistration() { plat::WindowSystem::Get().PopModal(); }
    ModalRegistration(const ModalRegistration&) = delete;
    ModalRegistration& operator=(const ModalRegistration&) = delete;
};

}  // namespace

SlideShowSettings ReadSlideShowSettings() {
    SlideShowSettings s;
    const bool random = GetIntSetting(kStrSlideSection, kStrRandomEffect, 1) != 0;
    const int stored = GetIntSetting(kStrSlideSection, kStrEffect, 11);
    // Only 0-10 name an effect; 11 (also a missing value) plays a random one, and the engine
    // plays any other number as "Wipe (To Right)".
    if (stored >= 0 && stored < kEffectCount) {
        s.listedEffect = stored;
    } else {
        s.listedEffect = stored == kRandomEffect ? kDoorClose : kWipeRight;
    }
    s.effect = (random || stored == kRandomEffect) ? kRandomEffect : s.listedEffect;
    s.speed = SettingInRange(kStrSpeed, 5, 3, 5);
    s.delaySeconds = SettingInRange(kStrDelay, 1, 1, 30);
    s.repeat = GetIntSetting(kStrSlideSection, kStrRepeat, 1) != 0;
    s.syncMode = SettingInRange(kStrTransformKey, 0, 0, 2);
    s.orientation = SettingInRange(kStrSlideOrientation, 0, 0, 2);
    s.showText = GetIntSetting(kStrSlideSection, kStrShowText, 0) != 0;
    return s;
}

void RunSlideShow(AppState* app) {
    if (app->slideShow) {
        // "Slide Show" again while one runs: the running show ends rather than nesting.
        app->slideShow->RequestStop();
        return;
    }
    if (!app->mainWindow || !app->fileList) {
        return;
    }
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    ShowScope scope(app);
    auto player = std::unique_ptr<SlideShowPlayer>(new (std::nothrow) SlideShowPlayer(
        app->mainWindow, app->imagePainter.get(), ws.ScreenWidth(), ws.ScreenHeight()));
    if (!player) {
        return;
    }
    app->slideShow = player.get();

    const SlideShowSettings settings = ReadSlideShowSettings();
    player->backgroundColor = plat::Rgb(0, 0, 0);
    player->SetCaption(settings.showText);
    FileList& list = *app->fileList;
    const int first = list.FolderCount();
    if (list.currentIndex < first && list.pictureCount > 0) {
        list.Select(first);
    }
    app->orientation = static_cast<int16_t>(settings.orientation);

    if (player->StartShow(settings.effect, settings.speed, static_cast<SyncMode>(settings.syncMode),
                          settings.delaySeconds, app->orientation)) {
        ModalRegistration modal(player.get());
        // Every show begins with the folder's first picture, whatever was selected.
        if (list.pictureCount > 0) {
            list.Select(first);
            if (!ShowPicture(app, *player, first)) {
                // Skip on from a first picture that does not load, as from any other.
                player->advanceKey = plat::VK_DOWN;
            }
        }
        RunShowLoop(app, *player, settings.repeat);
    }

    player->EndTransition();
    player->Release();
    app->slideShow = nullptr;
    player.reset();
}

void OnSlideShowTimer(AppState* app, SlideShowPlayer& player) {
    ++player.step;
    if (player.step <= player.stepCount) {
        plat::Canvas dc = app->mainWindow->GetCanvas();
        player.DrawStep(dc, player.step);
        plat::WindowSystem::Get().MarkScreenDirty();
        if (player.step == player.stepCount) {
            FileList& list = *app->fileList;
            const FileEntry* entry = list.GetCurrentEntry();
            if (entry && entry->hasVoiceNote) {
                // In step with the voice note: the tick returns when the note has played.
                const unsigned flags =
                    plat::kSoundFileName | (player.syncMode == kWaveFile ? 0u : plat::kSoundAsync);
                plat::PlaySound(VoiceNoteName(list.FullPath(list.currentIndex)), flags);
            }
        }
    } else if (player.step >= player.stepCount + player.holdTicks) {
        if (player.syncMode == kDirectionKey) {
            player.advanceKey = player.queuedKey;
            player.queuedKey = 0;
        } else {
            player.advanceKey = plat::VK_DOWN;
        }
        player.EndTransition();
    }
}

void OnSlideShowPaint(AppState* app, SlideShowPlayer& player, plat::Canvas& dc) {
    if (!app->currentImage || player.step == 0) {
        dc.FillRect(app->mainWindow->ClientRect(), player.backgroundColor);
        return;
    }
    player.ShowCurrentFrame(dc);
}

// ---- The main window's entry points ----

void RunSlideShowForView(AppState* app) {
    RunSlideShow(app);
}

void RequestStopSlideShow(AppState* app) {
    if (app->slideShow) {
        app->slideShow->RequestStop();
    }
}

void PaintSlideShow(AppState* app, plat::Canvas& canvas, const plat::Rect&) {
    if (app->slideShow) {
        OnSlideShowPaint(app, *app->slideShow, canvas);
    }
}

void SlideShowTimer(AppState* app, int) {
    if (app->slideShow) {
        OnSlideShowTimer(app, *app->slideShow);
    }
}

void SlideShowKey(AppState* app, unsigned key, int) {
    if (app->slideShow) {
        app->slideShow->OnKeyDown(key);
    }
}

void ResetPainterZoom(AppState* app) {
    if (app->imagePainter) {
        app->imagePainter->SetZoom(1);
    }
}
