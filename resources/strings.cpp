#include "resources/strings.h"

#include <map>

namespace res {
namespace {

const std::map<int, const char*>& Table() {
    static const std::map<int, const char*> table = {
        {102, "Velloran"},
        {105, "Cancel"},
        {106, "Smartphone"},
        {107, "MainSection"},
        {108, "HomeDirectory"},
        {109, "WorkDirectory"},
        {110, "Orientation"},
        {111, "Orientation"},
        {112, "ShowFileName"},
        {113, "ThumbMaxView"},
        {115, "ThumbnailLayout"},
        {117, "OK"},
        {118, "Set 'Home Screen' background image OK !"},
        {119, "Restore 'Home Screen' background image OK !"},
        {121, "Action"},
        {123, "OptimizedMemory"},
        {124, "Slide"},
        {125, "Effect"},
        {126, "Speed"},
        {127, "Delay"},
        {128, "TransformKey"},
        {129, "Repeat"},
        {131, "RandomEffect"},
        {132, "ShadowColor"},
        {133, "SetShadow"},
        {135, "Memory is not enough !\nPlease close some applications to get  more memory space."},
        {136, "Load 176x220 (fit screen)"},
        {137, "Load 352x440 (double)"},
        {138, "Load 528x660 (triple)"},
        {139, "Slow"},
        {140, "Medium"},
        {141, "Fast"},
        {142, "ShowText"},
        {143, "Delay Time"},
        {144, "Use Direction Key"},
        {145, "Synchronized with Wave File "},
        {146, "Portrait Mode"},
        {147, "Rotate Right"},
        {148, "Rotate Left"},
        {149, "%s\nThis folder does not exist !"},
        {150, "Do you want to delete '%s' ?"},
        {152, "My Documents"},
        {153, "Rename"},
        {154, "Name"},
        {155, "Folder"},
        {156, "Do you want to delete the sound of '%s' ?"},
        {157, "The sound of '%s' already exist ! \nDo you want to replace it ?"},
        {158, "Do you want to change the Home folder to '%s' ?"},
        {159, "&%d Home (%s)"},
        {161, "Fail to set 'Home Screen' background image !"},
        {170, "AutoRotate"},
        {1000, "Door (Close)"},
        {1001, "Door (Open)"},
        {1002, "Interlace"},
        {1003, "Rectangle In"},
        {1004, "Rectangle Out"},
        {1005, "Transparent"},
        {1006, "Wipe (Downwards)"},
        {1007, "Wipe (To Left)"},
        {1008, "Wipe (To Right)"},
        {1009, "Wipe (Upwards)"},
        {1010, "Zoom In"},
        {1036, "Finding receiving device..."},
        {1037, "Device '%s' is found !"},
        {1038, "Connecting to device..."},
        {1039, "File is about to send..."},
        {1040, "%d%% completed..."},
        {1041, "File is transmitted successfully !"},
        {40001, "OK"},
        {40002, "Cancel"},
        {40005, "Menu"},
        {40022, "Delete"},
        {40026, "Default"},
        {40031, "Action"},
        {40035, "Menu"},
        {40052, "Menu"},
        {40054, "Done"},
        {40055, "Move Up"},
        {40056, "Move Down"},
        {40057, "Rename"},
    };
    return table;
}

using Lines = std::vector<plat::MenuTemplateItem>;

// The "Menu" popup shared by both bars.
Lines MainPopup() {
    return Lines{
        {0, 40007, "Thumbnail View"},
        {0, 40008, "Image View"},
        {0, 40009, "Tree View"},
        {0, 40010, "Slide Show"},
        {0, -1, nullptr},
        {0, 40038, "System Info"},
        {0, 0, "Options"},
        {1, 40039, "General"},
        {1, 40043, "Slide Show"},
        {0, -1, nullptr},
        {0, 40062, "Help"},
        {0, 40060, "About"},
        {0, -1, nullptr},
        {0, 40011, "Exit"},
    };
}

Lines HomeScreenPopup(int depth) {
    return Lines{
        {depth, 0, "Home Screen"},
        {depth + 1, 40023, "Center"},
        {depth + 1, 40024, "Fit to Screen"},
        {depth + 1, 40025, "Tile"},
        {depth + 1, -1, nullptr},
        {depth + 1, 40026, "Default"},
    };
}

Lines BrowseActionPopup() {
    Lines lines{
        {0, 0, "Icon Size"},     {1, 40013, "2 x 2"},     {1, 40014, "3 x 3"},
        {1, 40015, "4 x 4"},     {0, 0, "Sort by"},       {1, 40016, "File Name"},
        {1, 40017, "File Time"}, {1, 40018, "File Size"}, {0, -1, nullptr},
    };
    for (const auto& l : HomeScreenPopup(0))
        lines.push_back(l);
    const Lines rest{
        {0, 0, "Sound"},
        {1, 40047, "Record Sound"},
        {1, 40048, "Play Sound"},
        {1, 40049, "Delete Sound"},
        {0, 0, "Send"},
        {1, 40050, "via E-Mail"},
        {1, 40051, "via Infrared"},
        {0, -1, nullptr},
        {0, 0, "Select Folder"},
        {1, 40044, "Add to My Favorites"},
        {1, 40045, "Edit My Favorites"},
        {1, 40059, "Set as Home folder"},
        {1, -1, nullptr},
        {1, 40046, "Home"},
        {0, 40020, "Refresh"},
        {0, 40022, "Delete"},
        {0, -1, nullptr},
        {0, 40021, "Properties"},
    };
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
}

Lines ImageActionPopup() {
    Lines lines{
        {0, 0, "Zoom"},         {1, 40036, "Actual Image\t[0]"}, {1, 40041, "Zoom In"},
        {1, 40042, "Zoom Out"}, {1, 40040, "Full Screen\t[5]"},  {0, 0, "Rotate"},
        {1, 40027, "Original"}, {1, 40028, "Left\t[1]"},         {1, 40029, "Right\t[3]"},
    };
    for (const auto& l : HomeScreenPopup(0))
        lines.push_back(l);
    const Lines rest{
        {0, -1, nullptr},           {0, 40047, "Record Sound"}, {0, 40048, "Play Sound"},
        {0, 40049, "Delete Sound"}, {0, -1, nullptr},           {0, 40021, "Properties"},
    };
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
}

Lines FavoritesEditorPopup() {
    return Lines{
        {0, 40055, "Move Up"}, {0, 40056, "Move Down"}, {0, 40057, "Rename"},
        {0, 40022, "Delete"},  {0, -1, nullptr},        {0, 40002, "Cancel"},
    };
}

}  // namespace

const char* StringResource(int id) {
    const auto& t = Table();
    const auto it = t.find(id);
    return it == t.end() ? nullptr : it->second;
}

plat::SoftkeyBarTemplate MenuBarResource(int id) {
    plat::SoftkeyBarTemplate bar;
    bar.id = id;
    switch (id) {
        case 4001:
            bar.buttons = {{40006, StringResource(40005), 0}, {40012, StringResource(121), 1}};
            bar.popups = {MainPopup(), BrowseActionPopup()};
            break;
        case 4004:
            bar.buttons = {{40006, StringResource(40035), 0}, {40012, StringResource(40031), 1}};
            bar.popups = {MainPopup(), ImageActionPopup()};
            break;
        case 4002:
            bar.buttons = {{40001, StringResource(117), -1}, {40002, StringResource(105), -1}};
            break;
        case 4003:
            bar.buttons = {{40001, StringResource(117), -1}};
            break;
        case 4006:
            bar.buttons = {{40001, StringResource(40054), -1}, {40006, StringResource(40052), 1}};
            bar.popups = {Lines{}, FavoritesEditorPopup()};
            break;
        case 4008:
            bar.buttons = {{40002, StringResource(105), -1}};
            break;
        default:
            bar.id = 0;
            break;
    }
    return bar;
}

}  // namespace res
