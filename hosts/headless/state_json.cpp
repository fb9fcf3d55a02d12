#include "hosts/headless/state_json.h"

#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "hosts/headless/json_writer.h"
#include "imaging/image_buffer.h"
#include "platform/os/process.h"
#include "platform/shell/menu.h"
#include "platform/shell/message_box.h"
#include "platform/shell/shell.h"
#include "platform/toolkit/dialog.h"
#include "platform/window/sound.h"
#include "platform/window/window_system.h"
#include "slideshow/slide_show_player.h"

namespace {

const char* ViewModeName(ViewMode mode) {
    switch (mode) {
        case kThumbnail:
            return "Thumbnail";
        case kImage:
            return "Image";
        case kTree:
            return "Tree";
        case kSlideShow:
            return "SlideShow";
    }
    return "Thumbnail";
}

void WriteMenu(JsonWriter& j, const plat::Menu& menu) {
    j.BeginArray();
    for (const plat::MenuItem& item : menu.Items()) {
        j.BeginObject();
        if (item.separator) {
            j.Key("separator").Bool(true);
            j.Key("id").Number(0);
            j.Key("text").String("");
            j.Key("checked").Bool(false);
            j.Key("enabled").Bool(false);
            j.Key("submenu").Null();
        } else {
            j.Key("id").Number(item.id);
            j.Key("text").String(item.text);
            j.Key("checked").Bool(item.checked);
            j.Key("radio").Bool(item.radio);
            j.Key("enabled").Bool(!item.grayed);
            j.Key("submenu");
            if (item.submenu) {
                WriteMenu(j, *item.submenu);
            } else {
                j.Null();
            }
        }
        j.EndObject();
    }
    j.EndArray();
}

void WriteFileList(JsonWriter& j, FileList& list) {
    j.BeginObject();
    j.Key("count").Number(list.Count());
    j.Key("pictureCount").Number(list.pictureCount);
    j.Key("currentIndex").Number(list.currentIndex);
    j.Key("sortKey").Number(list.sortKey);
    j.Key("folder").String(list.folder);
    j.Key("entries").BeginArray();
    for (int i = 0; i < list.Count(); ++i) {
        const FileEntry* e = list.GetEntry(i);
        j.BeginObject();
        j.Key("name").String(e->name);
        j.Key("isFolder").Bool(e->isFolder);
        j.Key("hasVoiceNote").Bool(e->hasVoiceNote);
        j.Key("imageWidth").Number(e->imageWidth);
        j.Key("imageHeight").Number(e->imageHeight);
        j.Key("fileSize").Number(static_cast<int64_t>(e->fileSize));
        j.Key("hasThumbnail").Bool(e->thumbnail != nullptr);
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
}

void WriteImage(JsonWriter& j, const AppState& app) {
    if (app.viewMode != kImage && !app.currentImage) {
        j.Null();
        return;
    }
    j.BeginObject();
    j.Key("path").String(app.currentImagePath);
    j.Key("width").Number(app.currentImage ? app.currentImage->Width() : 0);
    j.Key("height").Number(app.currentImage ? app.currentImage->Height() : 0);
    j.Key("zoomFactor").Number(app.view.zoomFactor);
    j.Key("zoomPercent").Number(app.zoomPercent);
    j.Key("panX").Number(app.view.panX);
    j.Key("panY").Number(app.view.panY);
    j.Key("sourceX").Number(app.view.sourceX);
    j.Key("sourceY").Number(app.view.sourceY);
    j.Key("offsetX").Number(app.view.offsetX);
    j.Key("offsetY").Number(app.view.offsetY);
    j.Key("viewWidth").Number(app.view.viewWidth);
    j.Key("viewHeight").Number(app.view.viewHeight);
    j.Key("pictureWidth").Number(app.view.pictureWidth);
    j.Key("pictureHeight").Number(app.view.pictureHeight);
    j.Key("zoomedWidth").Number(app.view.zoomedWidth);
    j.Key("zoomedHeight").Number(app.view.zoomedHeight);
    j.EndObject();
}

void WriteSlideShow(JsonWriter& j, const SlideShowPlayer* show) {
    if (!show) {
        j.Null();
        return;
    }
    j.BeginObject();
    j.Key("running").Bool(show->running);
    j.Key("effect").Number(show->effect);
    j.Key("step").Number(show->step);
    j.Key("stepCount").Number(show->stepCount);
    j.Key("holdTicks").Number(show->holdTicks);
    j.Key("syncMode").Number(static_cast<int>(show->syncMode));
    j.EndObject();
}

void WriteDialog(JsonWriter& j) {
    plat::DialogState d;
    if (!plat::DescribeTopDialog(&d)) {
        j.Null();
        return;
    }
    j.BeginObject();
    j.Key("id").Number(d.id);
    j.Key("title").String(d.title);
    j.Key("focus").Number(d.focus);
    j.Key("scroll").Number(d.scroll);
    j.Key("controls").BeginArray();
    for (const plat::DialogControlState& c : d.controls) {
        j.BeginObject();
        j.Key("id").Number(c.id);
        j.Key("kind").String(c.kind);
        j.Key("text").String(c.text);
        j.Key("visible").Bool(c.visible);
        j.Key("enabled").Bool(c.enabled);
        j.Key("checked").Bool(c.checked);
        j.Key("selection").Number(c.selection);
        j.Key("items").BeginArray();
        for (size_t i = 0; i < c.items.size(); ++i) {
            if (c.depths.empty()) {
                j.String(c.items[i]);
            } else {
                // Tree items carry their depth.
                j.BeginObject();
                j.Key("text").String(c.items[i]);
                j.Key("depth").Number(i < c.depths.size() ? c.depths[i] : 0);
                j.EndObject();
            }
        }
        j.EndArray();
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
}

}  // namespace

std::string BuildStateJson() {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    AppState* app = App().appState;
    JsonWriter j;
    j.BeginObject();
    if (app) {
        j.Key("viewMode").String(ViewModeName(app->viewMode));
        j.Key("title").String(app->mainWindow ? app->mainWindow->Title() : "");
        j.Key("fullScreen").Bool(app->fullScreen);
        j.Key("workDirectory").String(app->workDirectory);
        j.Key("homeDirectory").String(app->homeDirectory);
        j.Key("orientation").Number(app->orientation);
        j.Key("thumbnailLayout").Number(app->thumbnailLayout);
        j.Key("showFileName").Bool(app->showFileName);
        j.Key("thumbMaxView").Bool(app->thumbMaxView);
        j.Key("loadSizeLevel").Number(app->loadSizeLevel);
        j.Key("firstVisibleIndex").Number(app->firstVisibleIndex);
        j.Key("cellWidth").Number(app->cellWidth);
        j.Key("cellHeight").Number(app->cellHeight);
        j.Key("fileList");
        if (app->fileList) {
            WriteFileList(j, *app->fileList);
        } else {
            j.Null();
        }
        j.Key("image");
        WriteImage(j, *app);
        j.Key("slideShow");
        WriteSlideShow(j, app->slideShow);
    }
    if (plat::Window* top = ws.TopWindow()) {
        j.Key("topWindow").String(top->ClassName());
        j.Key("clientWidth").Number(top->ClientRect().Width());
        j.Key("clientHeight").Number(top->ClientRect().Height());
    }
    j.Key("menu");
    if (plat::Menu* menu = plat::OpenPopupMenu()) {
        j.BeginObject();
        j.Key("items");
        WriteMenu(j, *menu);
        j.EndObject();
    } else {
        j.Null();
    }
    j.Key("dialog");
    WriteDialog(j);
    j.Key("messageBox");
    if (const plat::MessageBoxInfo* box = plat::OpenMessageBox()) {
        j.BeginObject();
        j.Key("text").String(box->text);
        j.Key("caption").String(box->caption);
        j.Key("icon").String(box->icon);
        j.Key("buttons").String(box->buttons);
        j.EndObject();
    } else {
        j.Null();
    }
    j.Key("scroll");
    if (app && app->mainWindow && ws.IsWindow(app->mainWindow)) {
        const plat::ScrollInfo& s = app->mainWindow->Scroll();
        j.BeginObject();
        j.Key("min").Number(s.min);
        j.Key("max").Number(s.max);
        j.Key("pos").Number(s.pos);
        j.EndObject();
    } else {
        j.Null();
    }
    // The softkeys shown at the bottom of the screen now.
    j.Key("softkeys").BeginArray();
    if (plat::SoftkeyBar* bar = plat::SoftkeyBar::Active()) {
        for (size_t i = 0; i < bar->Buttons().size(); ++i) {
            j.BeginObject();
            j.Key("label").String(bar->Buttons()[i].label);
            j.Key("command").Number(bar->Buttons()[i].command);
            j.Key("enabled").Bool(bar->ButtonEnabled(static_cast<int>(i)));
            j.EndObject();
        }
    }
    j.EndArray();
    j.Key("beeps").Number(ws.BeepCount());
    j.Key("sounds").BeginArray();
    for (const plat::PlayedSound& sound : plat::PlayedSounds()) {
        j.BeginObject();
        j.Key("file").String(sound.file);
        j.Key("sync").Bool(sound.sync);
        j.EndObject();
    }
    j.EndArray();
    j.Key("processes").BeginArray();
    for (const plat::StartedProcess& p : plat::Processes::Instance().Started()) {
        j.BeginObject();
        j.Key("program").String(p.program);
        j.Key("commandLine").String(p.commandLine);
        j.EndObject();
    }
    j.EndArray();
    j.Key("settingChanges").BeginArray().EndArray();
    j.EndObject();
    return j.Text() + "\n";
}
