#include "dialogs/folder_tree.h"

#include <algorithm>
#include <vector>

#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "core/paths.h"
#include "platform/os/collation.h"
#include "platform/os/text.h"
#include "platform/shell/message_box.h"
#include "platform/toolkit/dialog.h"
#include "resources/artwork.h"
#include "resources/dialogs.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"

namespace {

constexpr int kTree = kCtlTree;
constexpr int kFolderNames = kCtlTreeFolderNames;
constexpr int kFileNames = kCtlTreeFileNames;
constexpr int kStrRootName = kStrSmartphone;
constexpr int kImageOpened = 0;
constexpr int kImageClosed = 1;
constexpr int kImageRoot = 2;
constexpr int kTreeImages = kBmpTreeIcons;

struct FolderTreeState {
    std::string path = "\\";
    plat::TreeView* tree = nullptr;
    plat::ListBox* folders = nullptr;
    plat::ListBox* files = nullptr;
    int root = -1;
    bool tracking = true;
};

// At most one tree is open at a time.
bool treeOpen = false;

// The device path of an item: the names from below the root down to the item. The root is
// known by identity, so a folder that happens to share its name is part of the path like any
// other, and names are taken whole.
std::string ItemPath(const FolderTreeState& s, int item) {
    std::vector<const std::string*> names;
    for (int i = item; i != s.root && i != plat::TreeView::kRoot; i = s.tree->Parent(i)) {
        names.push_back(&s.tree->GetItem(i)->text);
    }
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        path += "\\";
        path += **it;
    }
    return path.empty() ? "\\" : path;
}

// The child of `parent` named `name`: the exact name first (the host tells names apart by
// case), then the first that matches case-insensitively. -1 when none does.
int MatchingChild(const FolderTreeState& s, int parent, const std::string& name) {
    int folded = -1;
    for (int child = s.tree->FirstChild(parent); child >= 0; child = s.tree->NextSibling(child)) {
        const std::string& text = s.tree->GetItem(child)->text;
        if (text == name) {
            return child;
        }
        if (folded < 0 && plat::EqualsNoCase(text, name)) {
            folded = child;
        }
    }
    return folded;
}

// Whether a folder holds at least one sub-folder or picture (the search stops at the first).
bool HasFoldersOrPictures(const std::string& folder) {
    std::vector<plat::FileInfo> entries;
    if (!plat::DeviceFs::List(folder, &entries)) {
        return false;
    }
    for (const plat::FileInfo& e : entries) {
        if (!e.hidden && (e.isFolder || PictureTypeFromName(e.name) > 0)) {
            return true;
        }
    }
    return false;
}

// Fills an item with its folder's sub-folders, then its pictures, each group sorted by name.
void FillItem(FolderTreeState& s, int item) {
    const std::string folder = ItemPath(s, item);
    s.folders->Clear();
    s.files->Clear();
    std::vector<plat::FileInfo> entries;
    plat::DeviceFs::List(folder, &entries);
    // In the sorted lists' own order first, so each name lands at the end: adding a folder of
    // 100,000 names one by one in listing order would move half the list every time.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const plat::FileInfo& a, const plat::FileInfo& b) {
                         return plat::CollateNoCase(a.name, b.name) < 0;
                     });
    for (const plat::FileInfo& e : entries) {
        if (e.hidden) {
            continue;
        }
        (e.isFolder ? s.folders : s.files)->AddString(e.name);
    }
    for (int i = 0; i < s.folders->Count(); ++i) {
        const std::string& name = s.folders->Item(i);
        const bool more = HasFoldersOrPictures(JoinPath(folder, name));
        if (s.tree->InsertItem(item, name, kImageClosed, kImageOpened, more) < 0) {
            return;
        }
    }
    for (int i = 0; i < s.files->Count(); ++i) {
        const std::string& name = s.files->Item(i);
        const int type = PictureTypeFromName(name);  // 1 BMP, 2 GIF, 3 JPEG
        if (type < 1) {
            continue;
        }
        if (s.tree->InsertItem(item, name, type + 4, type + 4, false) < 0) {
            return;
        }
    }
}

// Opens a folder item the first time: its icon turns to the open folder and it is filled.
void OpenFolderItem(FolderTreeState& s, int item) {
    const plat::TreeView::Item* it = s.tree->GetItem(item);
    if (!it || !it->children.empty() || it->image == kImageOpened) {
        return;
    }
    const int image = item == s.root ? kImageRoot : kImageOpened;
    s.tree->SetItemImage(item, image, image);
    FillItem(s, item);
}

void ExpandOrFill(FolderTreeState& s, int item) {
    if (!s.tree->Expand(item, true)) {
        OpenFolderItem(s, item);
    }
}

void ExpandToStartPath(FolderTreeState& s) {
    s.tracking = false;
    ExpandOrFill(s, s.root);
    if (s.path == "\\") {
        s.tree->Select(s.root);
    } else {
        s.tree->Select(s.root);
        std::vector<std::string> names;
        size_t start = 1;
        while (start <= s.path.size()) {
            const size_t end = s.path.find('\\', start);
            const std::string name =
                s.path.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (!name.empty()) {
                names.push_back(name);
            }
            if (end == std::string::npos) {
                break;
            }
            start = end + 1;
        }
        int parent = s.root;
        for (const std::string& name : names) {
            const int child = MatchingChild(s, parent, name);
            if (child < 0) {
                break;
            }
            s.tree->Select(child);
            ExpandOrFill(s, child);
            parent = child;
        }
    }
    s.tracking = true;
}

void FailSetUp(plat::Dialog& d, const char* text) {
    plat::MessageBox(d.GetWindow(), text, "Dialog", plat::MB_OK | plat::MB_ICONEXCLAMATION);
    d.End(-1);
}

bool InitTree(FolderTreeState& s, plat::Dialog& d) {
    if (!d.MakeFullScreen()) {
        FailSetUp(d, "Error : Initial !");
        return false;
    }
    if (!d.CreateSoftkeyBar(res::MenuBarResource(kBarOkCancel))) {
        FailSetUp(d, "Error : Menu bar!");
        return false;
    }
    s.tree = d.Get<plat::TreeView>(kTree);
    s.folders = d.Get<plat::ListBox>(kFolderNames);
    s.files = d.Get<plat::ListBox>(kFileNames);
    if (!s.tree || !s.folders || !s.files) {
        d.End(-1);
        return false;
    }
    WaitCursor wait;
    d.SetItemFrame(kTree, d.GetWindow()->ClientRect());
    if (auto strip = res::LoadBitmapResource(kTreeImages)) {
        s.tree->SetImageList(plat::ImageListFromStrip(*strip, 16, 15, plat::Rgb(255, 255, 255)));
    }
    s.root = s.tree->InsertItem(plat::TreeView::kRoot, LoadStr(kStrRootName), kImageRoot,
                                kImageRoot, true);
    ExpandToStartPath(s);
    d.FocusItem(kTree);
    return true;
}

bool TreeProc(FolderTreeState& s, plat::Dialog& d, unsigned message, plat::WPARAM wParam,
              plat::LPARAM lParam, plat::LRESULT* result) {
    switch (message) {
        case plat::WM_INITDIALOG:
            InitTree(s, d);
            *result = 0;
            return true;
        case plat::WM_NOTIFY: {
            const auto* n = reinterpret_cast<const plat::NotifyHeader*>(lParam);
            if (n->code == plat::kTreeItemExpanding) {
                const auto* t = reinterpret_cast<const plat::TreeNotify*>(lParam);
                if (t->action != plat::kTreeCollapse) {
                    OpenFolderItem(s, t->item);
                }
            }
            *result = 0;
            return true;
        }
        case plat::WM_COMMAND: {
            const unsigned id = plat::LowWord(wParam);
            if (id == kCmdOk || id == plat::IDOK) {
                const int selected = s.tree->Selection();
                s.path = selected >= 0 ? ItemPath(s, selected) : "\\";
                d.End(1);
                return true;
            }
            if (id == kCmdCancel || id == plat::IDCANCEL) {
                d.End(static_cast<int>(id));
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

}  // namespace

int RunFolderTree(std::string* path, plat::Window* owner, bool* isFile) {
    *isFile = true;
    const plat::DialogTemplate* tmpl = res::DialogResource(kDlgFolderTree);
    if (treeOpen || !tmpl) {
        return 0;
    }
    treeOpen = true;
    FolderTreeState s;
    std::string start = *path;
    if (start == "\\" || (!start.empty() && Exists(&start))) {
        s.path = start;
    }
    const int result = plat::Dialog::Run(
        *tmpl, owner,
        [&s](plat::Dialog& d, unsigned message, plat::WPARAM wParam, plat::LPARAM lParam,
             plat::LRESULT* answer) { return TreeProc(s, d, message, wParam, lParam, answer); });
    treeOpen = false;
    if (result == 1) {
        *path = s.path;
        plat::FileInfo info;
        if (!plat::DeviceFs::Stat(*path, &info)) {
            path->clear();
            *isFile = false;
            return 0;
        }
        if (info.isFolder) {
            *isFile = false;
        }
        return 1;
    }
    if (result < 0) {
        path->clear();
    }
    return 0;
}

TreeResult RunFolderTreeForView(AppState* app) {
    TreeResult r;
    r.path = app->workDirectory;
    bool isFile = false;
    r.confirmed = RunFolderTree(&r.path, app->mainWindow, &isFile) == 1;
    r.isFile = isFile;
    return r;
}
