#include "resources/dialogs.h"

#include <map>

namespace res {
namespace {

using plat::ControlKind;
using K = plat::ControlKind;
constexpr unsigned kHidden = plat::kStyleHidden;
constexpr unsigned kNoTab = plat::kStyleNoTabStop;
constexpr unsigned kReadOnly = plat::kStyleReadOnly;
constexpr unsigned kCenter = plat::kStyleCenter;
constexpr unsigned kRight = plat::kStyleRight;
constexpr unsigned kSorted = plat::kStyleSorted;

plat::DialogTemplate Make(int id, const char* title, int width, int height,
                          std::vector<plat::ControlTemplate> controls) {
    plat::DialogTemplate t;
    t.id = id;
    t.title = title;
    t.width = width;
    t.height = height;
    t.fontPoints = 9;
    t.controls = std::move(controls);
    return t;
}

std::map<int, plat::DialogTemplate> BuildTable() {
    std::map<int, plat::DialogTemplate> table;
    table[4014] =
        Make(4014, "Send via Infrared", 115, 100,
             {
                 {-1, K::kIcon, "", 4, 8, 20, 20, 0},
                 {2045, K::kStatic, "Please align IR port !", 32, 12, 75, 8, kHidden},
                 {2046, K::kStatic, "Looking for IRDA device...", 6, 47, 101, 18, kCenter},
             });
    table[7001] = Make(7001, "Tree View", 99, 97,
                       {
                           {2004, K::kTreeView, "", 0, 0, 99, 97, 0},
                           {2005, K::kListBox, "", 0, 0, 40, 40, kHidden | kSorted},
                           {2006, K::kListBox, "", 0, 0, 40, 40, kHidden | kSorted},
                       });
    table[7002] = Make(7002, "Properties", 127, 106,
                       {
                           {2035, K::kStatic, "", 4, 6, 20, 20, kHidden},
                           {2036, K::kStatic, "", 30, 12, 108, 8, 0},
                           {2000, K::kEdit, "", 57, 19, 70, 12, kHidden | kReadOnly},
                           {2037, K::kGroupBox, "", 4, 30, 134, 9, kHidden},
                           {-1, K::kStatic, "Location :", 4, 36, 40, 8, 0},
                           {2038, K::kStatic, "", 46, 36, 92, 24, 0},
                           {-1, K::kStatic, "File Size:", 4, 62, 40, 8, 0},
                           {2001, K::kStatic, "", 46, 62, 44, 8, 0},
                           {-1, K::kStatic, "KB", 92, 62, 30, 8, 0},
                           {-1, K::kStatic, "Width:", 4, 76, 40, 8, 0},
                           {2002, K::kStatic, "", 46, 76, 44, 8, 0},
                           {-1, K::kStatic, "Pixels", 92, 76, 30, 8, 0},
                           {-1, K::kStatic, "Height:", 4, 90, 40, 8, 0},
                           {2003, K::kStatic, "", 46, 90, 44, 8, 0},
                           {-1, K::kStatic, "Pixels", 92, 90, 30, 8, 0},
                       });
    table[7003] = Make(7003, "System Information", 140, 112,
                       {
                           {4512, K::kIcon, "", 2, 14, 21, 20, 0},
                           {2039, K::kStatic, "Program Memory", 26, 4, 112, 10, kHidden},
                           {2042, K::kStatic, "", 26, 16, 60, 14, kHidden},
                           {2007, K::kStatic, "", 88, 15, 50, 8, kRight},
                           {2008, K::kStatic, "", 88, 23, 50, 8, kRight},
                           {4513, K::kIcon, "", 2, 50, 21, 20, 0},
                           {2040, K::kStatic, "Storage Memory", 26, 40, 112, 10, kHidden},
                           {2043, K::kStatic, "", 26, 52, 60, 14, kHidden},
                           {2009, K::kStatic, "", 88, 51, 50, 8, kRight},
                           {2010, K::kStatic, "", 88, 59, 50, 8, kRight},
                           {4511, K::kIcon, "", 2, 86, 21, 20, 0},
                           {2041, K::kStatic, "Storage Card", 26, 76, 112, 10, kHidden},
                           {2044, K::kStatic, "", 26, 88, 60, 14, kHidden},
                           {2011, K::kStatic, "", 88, 87, 50, 8, kRight},
                           {2012, K::kStatic, "", 88, 95, 50, 8, kRight},
                       });
    table[7004] = Make(7004, "General Options", 119, 113,
                       {
                           {2045, K::kGroupBox, "Memory Optimizations :", 4, 6, 134, 30, kHidden},
                           {2013, K::kSpinner, "", 8, 20, 130, 11, 0},
                           {2014, K::kUpDown, "", 109, 13, 6, 6, 0},
                           {2046, K::kGroupBox, "Thumbnail Layout :", 4, 40, 134, 40, kHidden},
                           {2033, K::kCheckBox, "Maximum Thumbnail View", 8, 54, 128, 10, 0},
                           {2034, K::kCheckBox, "Show Filename", 8, 66, 128, 10, 0},
                           {2061, K::kGroupBox, "Pictures :", 4, 82, 134, 26, kHidden},
                           {2060, K::kCheckBox, "Auto-rotate camera pictures", 8, 96, 130, 10, 0},
                       });
    table[7005] = Make(
        7005, "Slide Show", 134, 220,
        {
            {2022, K::kCheckBox, "Play continuously", 4, 6, 124, 10, 0},
            {2023, K::kCheckBox, "Show file name", 4, 20, 124, 10, 0},
            {2047, K::kGroupBox, "Transition :", 4, 35, 124, 61, kHidden},
            {2017, K::kCheckBox, "Use Random Effect", 8, 50, 120, 10, 0},
            {-1, K::kStatic, "Effect:", 8, 65, 26, 8, 0},
            {2018, K::kSpinner, "", 38, 64, 90, 11, 0},
            {2019, K::kUpDown, "", 122, 55, 6, 6, 0},
            {-1, K::kStatic, "Transition Speed:", 8, 81, 70, 8, 0},
            {2020, K::kSpinner, "", 80, 80, 48, 11, 0},
            {2021, K::kUpDown, "", 123, 75, 6, 6, 0},
            {2048, K::kGroupBox, "Synchronization :", 4, 99, 124, 76, kHidden},
            {-1, K::kStatic, "NOTE : Synchronization means the way how each page will be switched.",
             8, 114, 120, 23, 0},
            {2024, K::kSpinner, "", 8, 144, 120, 11, 0},
            {2025, K::kUpDown, "", 107, 140, 6, 6, 0},
            {-1, K::kStatic, "Time:", 8, 161, 26, 8, 0},
            {2026, K::kSpinner, "", 38, 160, 34, 11, 0},
            {2027, K::kUpDown, "", 87, 156, 6, 6, 0},
            {-1, K::kStatic, "seconds", 76, 161, 40, 8, 0},
            {2049, K::kGroupBox, "Orientation :", 4, 180, 124, 29, kHidden},
            {2028, K::kSpinner, "", 8, 194, 120, 11, 0},
            {2029, K::kUpDown, "", 86, 187, 6, 6, 0},
        });
    table[7006] = Make(7006, "Add to My Favorites", 121, 75,
                       {
                           {-1, K::kStatic, "Name :", 4, 6, 60, 8, 0},
                           {2030, K::kEdit, "", 4, 16, 130, 12, 0},
                           {-1, K::kStatic, "Folder :", 4, 36, 60, 8, 0},
                           {2031, K::kEdit, "", 4, 46, 130, 12, kReadOnly},
                       });
    table[7007] = Make(7007, "Edit My Favorites", 121, 114,
                       {
                           {-1, K::kStatic, "List of Favorites:", 4, 4, 113, 8, 0},
                           {2032, K::kReportList, "", 1, 14, 138, 98, 0},
                       });
    table[7008] =
        Make(7008, "Velloran", 140, 100,
             {
                 {2050, K::kIcon, "", 6, 8, 26, 22, kNoTab},
                 {2051, K::kStatic, "Velloran", 38, 8, 98, 9, 0},
                 {2052, K::kStatic, "Version 1.0", 38, 19, 98, 8, 0},
                 {2053, K::kStatic, "Picture browser for keypad phones", 38, 31, 98, 18, 0},
             });
    return table;
}

}  // namespace

const plat::DialogTemplate* DialogResource(int id) {
    static const std::map<int, plat::DialogTemplate> table = BuildTable();
    const auto it = table.find(id);
    return it == table.end() ? nullptr : &it->second;
}

}  // namespace res
