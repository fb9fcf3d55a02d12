#include "dialogs/options_dialogs.h"

#include <algorithm>
#include <string>

#include "browser/thumbnail_view.h"
#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "platform/toolkit/dialog.h"
#include "resources/dialogs.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "slideshow/effects.h"
#include "slideshow/slide_show.h"

namespace {

// Draws the titles of hidden group boxes at their top-left corners, bold with a character
// height of 12 pixels.
void PaintGroupTitles(plat::Dialog& d, std::initializer_list<int> ids) {
    static const std::shared_ptr<plat::Font> font =
        plat::Font::Create(plat::FontSpec{-12, 700, false, "Nina"});
    plat::Canvas c = d.GetWindow()->BeginPaint();
    c.SetFont(font);
    c.SetTextColor(plat::kDialogTitleColor);
    c.SetBackgroundMode(plat::BackgroundMode::kTransparent);
    for (int id : ids) {
        plat::Rect r;
        if (plat::ControlRectInDialog(d.GetWindow(), id, &r)) {
            c.TextOut(r.left, r.top, d.ItemText(id).substr(0, 80));
        }
    }
}

// ---- general options ----

constexpr int kLevelList = kCtlLoadLevel;
constexpr int kMaxViewCheck = kCtlMaxView;
constexpr int kFileNameCheck = kCtlShowFileName;

bool GeneralProc(AppState* app, plat::Dialog& d, unsigned message, plat::WPARAM wParam,
                 plat::LRESULT* result) {
    switch (message) {
        case plat::WM_INITDIALOG: {
            if (!d.CreateSoftkeyBar(res::MenuBarResource(kBarOkCancel)) || !d.MakeFullScreen()) {
                d.End(-1);
                return true;
            }
            auto* level = d.Get<plat::SpinnerList>(kLevelList);
            for (int id : {kStrLoadFitScreen, kStrLoadDouble, kStrLoadTriple}) {
                level->AddString(LoadStr(id));
            }
            level->SetSelection(std::clamp<int>(app->loadSizeLevel, 0, 2));
            d.Get<plat::CheckBox>(kMaxViewCheck)->SetChecked(app->thumbMaxView);
            d.Get<plat::CheckBox>(kFileNameCheck)->SetChecked(app->showFileName);
            *result = 1;
            return true;
        }
        case plat::WM_PAINT:
            PaintGroupTitles(d, {kCtlMemoryGroup, kCtlThumbnailGroup});
            return true;
        case plat::WM_COMMAND: {
            const unsigned id = plat::LowWord(wParam);
            if (id == plat::IDOK || id == kCmdOk) {
                app->loadSizeLevel =
                    static_cast<int16_t>(d.Get<plat::SpinnerList>(kLevelList)->Selection());
                app->thumbMaxView = d.Get<plat::CheckBox>(kMaxViewCheck)->IsChecked();
                app->showFileName = d.Get<plat::CheckBox>(kFileNameCheck)->IsChecked();
                d.End(1);
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

// ---- slide-show options ----

constexpr int kRepeatCheck = kCtlRepeat;
constexpr int kShowTextCheck = kCtlShowText;
constexpr int kRandomCheck = kCtlRandomEffect;
constexpr int kEffectList = kCtlEffect;
constexpr int kEffectArrows = kCtlEffectArrows;
constexpr int kSpeedList = kCtlSpeed;
constexpr int kSyncList = kCtlSync;
constexpr int kDelayList = kCtlDelay;
constexpr int kDelayArrows = kCtlDelayArrows;
constexpr int kOrientationList = kCtlOrientation;

void FillSpinner(plat::Dialog& d, int id, const std::vector<std::string>& items, int selection) {
    auto* list = d.Get<plat::SpinnerList>(id);
    for (const std::string& item : items) {
        list->AddString(item);
    }
    list->SetSelection(std::clamp(selection, 0, list->Count() - 1));
}

std::vector<std::string> Strings(int first, int last) {
    std::vector<std::string> out;
    for (int id = first; id <= last; ++id) {
        out.push_back(LoadStr(id));
    }
    return out;
}

void EnableEffect(plat::Dialog& d) {
    const bool on = !d.Get<plat::CheckBox>(kRandomCheck)->IsChecked();
    d.EnableItem(kEffectList, on);
    d.EnableItem(kEffectArrows, on);
}

void EnableDelay(plat::Dialog& d) {
    const bool on = d.Get<plat::SpinnerList>(kSyncList)->Selection() == 0;
    d.EnableItem(kDelayList, on);
    d.EnableItem(kDelayArrows, on);
}

// Opens on the values a show would play with: a stored value out of range shows the show's
// fallback, not the nearest item of the list.
void InitSlideOptions(plat::Dialog& d) {
    const SlideShowSettings show = ReadSlideShowSettings();
    d.Get<plat::CheckBox>(kRepeatCheck)->SetChecked(show.repeat);
    d.Get<plat::CheckBox>(kShowTextCheck)->SetChecked(show.showText);
    FillSpinner(d, kEffectList, Strings(kStrEffectDoorClose, kStrEffectZoomIn), show.listedEffect);
    d.Get<plat::CheckBox>(kRandomCheck)->SetChecked(show.effect == kRandomEffect);
    EnableEffect(d);
    FillSpinner(d, kSpeedList, Strings(kStrSpeedSlow, kStrSpeedFast), show.speed - 3);
    FillSpinner(d, kSyncList, Strings(kStrSyncDelayTime, kStrSyncWaveFile), show.syncMode);
    std::vector<std::string> seconds;
    for (int s = 1; s <= 30; ++s) {
        seconds.push_back(std::to_string(s));
    }
    FillSpinner(d, kDelayList, seconds, show.delaySeconds - 1);
    EnableDelay(d);
    FillSpinner(d, kOrientationList, Strings(kStrPortraitMode, kStrRotateLeft), show.orientation);
}

void SaveSlideOptions(plat::Dialog& d) {
    const auto checked = [&d](int id) { return d.Get<plat::CheckBox>(id)->IsChecked() ? 1 : 0; };
    const auto selected = [&d](int id) { return d.Get<plat::SpinnerList>(id)->Selection(); };
    // The order the settings have always been written in.
    SetIntSetting(kStrSlideSection, kStrRandomEffect, checked(kRandomCheck));
    SetIntSetting(kStrSlideSection, kStrEffect, selected(kEffectList));
    SetIntSetting(kStrSlideSection, kStrSpeed, selected(kSpeedList) + 3);
    SetIntSetting(kStrSlideSection, kStrRepeat, checked(kRepeatCheck));
    SetIntSetting(kStrSlideSection, kStrTransformKey, selected(kSyncList));
    SetIntSetting(kStrSlideSection, kStrDelay, selected(kDelayList) + 1);
    SetIntSetting(kStrSlideSection, kStrShowText, checked(kShowTextCheck));
    SetIntSetting(kStrSlideSection, kStrSlideOrientation, selected(kOrientationList));
}

bool SlideProc(plat::Dialog& d, unsigned message, plat::WPARAM wParam, plat::LRESULT* result) {
    switch (message) {
        case plat::WM_INITDIALOG:
            if (!d.CreateSoftkeyBar(res::MenuBarResource(kBarOkCancel)) || !d.MakeFullScreen()) {
                d.End(-1);
                return true;
            }
            InitSlideOptions(d);
            *result = 1;
            return true;
        case plat::WM_PAINT:
            PaintGroupTitles(d, {kCtlTransitionGroup, kCtlSyncGroup, kCtlOrientationGroup});
            return true;
        case plat::WM_COMMAND: {
            const unsigned id = plat::LowWord(wParam);
            const unsigned code = plat::HighWord(wParam);
            if (id == kRandomCheck) {
                EnableEffect(d);
                return true;
            }
            if (id == kSyncList && code == plat::kNotifySelChange) {
                EnableDelay(d);
                return true;
            }
            if (id == plat::IDOK || id == kCmdOk) {
                SaveSlideOptions(d);
                d.End(1);
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

}  // namespace

void GeneralOptionsCommand(AppState* app) {
    const plat::DialogTemplate* tmpl = res::DialogResource(kDlgGeneralOptions);
    if (!tmpl) {
        return;
    }
    const bool oldMaxView = app->thumbMaxView;
    const bool oldShowName = app->showFileName;
    const int result = plat::Dialog::Run(
        *tmpl, app->mainWindow,
        [app](plat::Dialog& d, unsigned message, plat::WPARAM wParam, plat::LPARAM,
              plat::LRESULT* answer) { return GeneralProc(app, d, message, wParam, answer); });
    if (result != 1) {
        return;
    }
    if (app->thumbMaxView != oldMaxView) {
        // Thumbnails are made for the old size rule: they are made again when next shown.
        app->fileList->FreeThumbnails();
        if (app->viewMode == kThumbnail && app->mainWindow) {
            app->mainWindow->Invalidate(nullptr, true);
        }
    }
    if (app->showFileName != oldShowName) {
        SetShowFileName(app, app->showFileName);
    }
}

int ShowSlideShowOptions(AppState* app) {
    const plat::DialogTemplate* tmpl = res::DialogResource(kDlgSlideShowOptions);
    if (!tmpl) {
        return 2;
    }
    return plat::Dialog::Run(
        *tmpl, app->mainWindow,
        [](plat::Dialog& d, unsigned message, plat::WPARAM wParam, plat::LPARAM,
           plat::LRESULT* result) { return SlideProc(d, message, wParam, result); });
}
