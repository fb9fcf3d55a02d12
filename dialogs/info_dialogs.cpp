#include "dialogs/info_dialogs.h"

#include <cmath>

#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "platform/graphics/theme.h"
#include "platform/os/device_fs.h"
#include "platform/os/system_info.h"
#include "platform/shell/message_box.h"
#include "platform/toolkit/dialog.h"
#include "resources/artwork.h"
#include "resources/dialogs.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"

namespace {

constexpr plat::Color kBarGreen = plat::Rgb(0, 128, 0);
constexpr plat::Color kBarDarkGrey = plat::Rgb(64, 64, 64);
constexpr plat::Color kBarText = plat::Rgb(255, 235, 177);

// Properties.
constexpr int kIconPlace = kCtlPropertiesIcon;
constexpr int kNameText = kCtlPropertiesName;
constexpr int kFocusEdit = kCtlPropertiesFocus;
constexpr int kSeparatorPlace = kCtlPropertiesSeparator;
constexpr int kFolderText = kCtlPropertiesFolder;
constexpr int kSizeText = kCtlPropertiesSize;
constexpr int kWidthText = kCtlPropertiesWidth;
constexpr int kHeightText = kCtlPropertiesHeight;

// System information: per section the picture, the label, the bar, the total and free texts.
struct Section {
    int bitmap;
    int label;
    int bar;
    int totalText;
    int freeText;
};
constexpr Section kSections[] = {
    {kBmpProgramMemory, kCtlMemoryTitle, kCtlMemoryBar, kCtlMemoryTotal, kCtlMemoryFree},
    {kBmpStorageMemory, kCtlStoreTitle, kCtlStoreBar, kCtlStoreTotal, kCtlStoreFree},
    {kBmpStorageCard, kCtlCardTitle, kCtlCardBar, kCtlCardTotal, kCtlCardFree},
};

void FailSetUp(plat::Dialog& d, const char* text) {
    plat::MessageBox(d.GetWindow(), text, "Dialog", plat::MB_OK | plat::MB_ICONEXCLAMATION);
    d.End(-1);
}

}  // namespace

// ---- formatting ----

namespace {

std::string GroupDigits(uint64_t m) {
    const std::string digits = std::to_string(m);
    std::string out;
    const int len = static_cast<int>(digits.size());
    for (int i = 0; i < len; ++i) {
        if (i > 0 && (len - i) % 3 == 0) {
            out += ',';
        }
        out += digits[static_cast<size_t>(i)];
    }
    return out;
}

}  // namespace

std::string FormatThousands(int64_t n) {
    if (n < 0) {
        // The magnitude of the most negative value still fits an unsigned number.
        return "-" + GroupDigits(static_cast<uint64_t>(-(n + 1)) + 1);
    }
    return GroupDigits(static_cast<uint64_t>(n));
}

std::string FormatDecimal(double value, int decimals) {
    if (decimals < 1 || decimals > 3) {
        decimals = 1;
    }
    if (!(value > 0)) {
        value = 0;
    }
    int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    const auto scaled = static_cast<int64_t>(std::llround(value * static_cast<double>(scale)));
    std::string fraction = std::to_string(scaled % scale);
    fraction.insert(0, static_cast<size_t>(decimals) - fraction.size(), '0');
    return FormatThousands(scaled / scale) + "." + fraction;
}

std::string FormatMegabytes(uint64_t bytes) {
    // Figures of today's machines would not fit the dialog's columns in megabytes.
    if (bytes >= kGigabyteFrom) {
        return FormatDecimal(static_cast<double>(bytes) / 1073741824.0, 1) + "GB";
    }
    return FormatDecimal(static_cast<double>(bytes) / 1048576.0, 1) + "MB";
}

int FreeBarWidth(int innerWidth, uint64_t freeAmount, uint64_t total) {
    if (total == 0 || innerWidth <= 0) {
        return 0;
    }
    if (freeAmount > total) {
        freeAmount = total;
    }
    const auto w = static_cast<unsigned __int128>(innerWidth) * freeAmount / total;
    return static_cast<int>(w);
}

// ---- properties ----

namespace {

bool PropertiesProc(AppState* app, plat::Dialog& d, unsigned message, plat::LRESULT* result) {
    FileList* list = app->fileList.get();
    const int index = list->currentIndex;
    const FileEntry* entry = list->GetEntry(index);
    switch (message) {
        case plat::WM_INITDIALOG: {
            if (!d.MakeFullScreen()) {
                FailSetUp(d, "Error : Initial !");
                return true;
            }
            if (!d.CreateSoftkeyBar(res::MenuBarResource(kBarOk))) {
                FailSetUp(d, "Error : Menu bar!");
                return true;
            }
            const std::string path = list->FullPath(index);
            const size_t slash = path.rfind('\\');
            d.SetItemText(kFolderText, slash == std::string::npos ? "" : path.substr(0, slash));
            d.SetItemText(kWidthText, std::to_string(static_cast<uint16_t>(entry->imageWidth)));
            d.SetItemText(kHeightText, std::to_string(static_cast<uint16_t>(entry->imageHeight)));
            d.SetItemText(kSizeText,
                          FormatDecimal(static_cast<double>(entry->fileSize) / 1024.0, 2));
            d.SetItemText(kNameText, entry->name);
            d.FocusItem(kFocusEdit);
            *result = 0;
            return true;
        }
        case plat::WM_PAINT: {
            plat::Canvas c = d.GetWindow()->BeginPaint();
            plat::Rect r;
            if (plat::ControlRectInDialog(d.GetWindow(), kSeparatorPlace, &r)) {
                c.FillRect(plat::Rect{r.left, r.top, r.right, r.top + 2}, plat::kDialogTitleColor);
            }
            if (plat::ControlRectInDialog(d.GetWindow(), kIconPlace, &r)) {
                const int type = PictureTypeFromName(entry->name);
                const int icon = type == 3 ? kIconJpeg : type == 2 ? kIconGif : kIconBmp;
                c.DrawIcon(r.left, r.top, res::LoadIconResource(icon));
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

void PropertiesCommand(AppState* app) {
    FileList* list = app->fileList.get();
    const plat::DialogTemplate* tmpl = res::DialogResource(kDlgProperties);
    if (!tmpl || list->pictureCount <= 0 || list->currentIndex < list->FolderCount() ||
        !list->GetCurrentEntry()) {
        SimpleBeep();
        return;
    }
    plat::Dialog::Run(
        *tmpl, app->mainWindow,
        [app](plat::Dialog& d, unsigned message, plat::WPARAM, plat::LPARAM,
              plat::LRESULT* result) { return PropertiesProc(app, d, message, result); });
}

// ---- system information ----

SystemFigures ReadSystemFigures() {
    SystemFigures f;
    plat::MemoryStatus memory;
    if (plat::GetMemoryStatus(&memory)) {
        f.memoryTotal = memory.totalPhys;
        f.memoryFree = memory.availPhys;
    }
    plat::StoreInfo store;
    if (plat::GetStoreInfo("\\", &store)) {
        f.storeTotal = store.totalBytes;
        f.storeFree = store.freeBytes;
    }
    std::string card;
    if (!plat::Shell::StorageCardFolder(&card)) {
        card = "\\Storage Card";
    }
    plat::StoreInfo cardInfo;
    if (plat::DeviceFs::IsFolder(card) && plat::GetStoreInfo(card, &cardInfo)) {
        f.cardTotal = cardInfo.totalBytes >> 10;
        f.cardFree = cardInfo.freeBytes >> 10;
    }
    return f;
}

namespace {

void PaintSection(plat::Dialog& d, plat::Canvas& c, const Section& s, uint64_t freeAmount,
                  uint64_t total) {
    static const auto normal = plat::Font::Create(plat::FontSpec{-11, 400, false, "Nina"});
    c.SetBackgroundMode(plat::BackgroundMode::kTransparent);
    plat::Rect r;
    if (plat::ControlRectInDialog(d.GetWindow(), s.label, &r)) {
        std::string label = d.ItemText(s.label).substr(0, 79);
        c.SetFont(plat::DialogTitleFont());
        c.SetTextColor(plat::kDialogTitleColor);
        c.DrawText(label, &r, plat::kTextSingleLine | plat::kTextVCenter | plat::kTextNoPrefix);
    }
    if (!plat::ControlRectInDialog(d.GetWindow(), s.bar, &r)) {
        return;
    }
    c.FrameRect(r, plat::Rgb(0, 0, 0));
    const plat::Rect inner = r.Inflate(-2, -2);
    c.FillRect(inner, kBarDarkGrey);
    const int green = FreeBarWidth(inner.Width(), freeAmount, total);
    c.FillRect(plat::Rect{inner.left, inner.top, inner.left + green, inner.bottom}, kBarGreen);
    const double percent =
        total == 0 ? 0.0 : static_cast<double>(freeAmount) / static_cast<double>(total) * 100.0;
    c.SetFont(normal);
    c.SetTextColor(kBarText);
    c.DrawText(
        FormatDecimal(percent, 1) + "%", &r,
        plat::kTextSingleLine | plat::kTextCenter | plat::kTextVCenter | plat::kTextNoPrefix);
}

bool SystemInfoProc(const SystemFigures& f, plat::Dialog& d, unsigned message,
                    plat::LRESULT* result) {
    switch (message) {
        case plat::WM_INITDIALOG: {
            if (!d.CreateSoftkeyBar(res::MenuBarResource(kBarOk)) || !d.MakeFullScreen()) {
                d.End(-1);
                return true;
            }
            for (const Section& s : kSections) {
                if (auto* pic = d.Get<plat::StaticText>(s.bitmap)) {
                    pic->SetBitmap(res::LoadBitmapResource(s.bitmap));
                }
            }
            d.SetItemText(kCtlMemoryTotal, FormatMegabytes(f.memoryTotal));
            d.SetItemText(kCtlMemoryFree, FormatMegabytes(f.memoryFree));
            d.SetItemText(kCtlStoreTotal, FormatMegabytes(f.storeTotal));
            d.SetItemText(kCtlStoreFree, FormatMegabytes(f.storeFree));
            // The card's figures are kilobytes.
            d.SetItemText(kCtlCardTotal, FormatMegabytes(f.cardTotal << 10));
            d.SetItemText(kCtlCardFree, FormatMegabytes(f.cardFree << 10));
            *result = 1;
            return true;
        }
        case plat::WM_PAINT: {
            plat::Canvas c = d.GetWindow()->BeginPaint();
            PaintSection(d, c, kSections[0], f.memoryFree, f.memoryTotal);
            PaintSection(d, c, kSections[1], f.storeFree, f.storeTotal);
            PaintSection(d, c, kSections[2], f.cardFree, f.cardTotal);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

void SystemInfoCommand(AppState* app) {
    const plat::DialogTemplate* tmpl = res::DialogResource(kDlgSystemInfo);
    if (!tmpl) {
        return;
    }
    // Read once per opening: the dialog does not refresh while it is open.
    const SystemFigures figures = ReadSystemFigures();
    plat::Dialog::Run(
        *tmpl, app->mainWindow,
        [&figures](plat::Dialog& d, unsigned message, plat::WPARAM, plat::LPARAM,
                   plat::LRESULT* result) { return SystemInfoProc(figures, d, message, result); });
}
