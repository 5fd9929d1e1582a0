#include "res/DialogTemplates.h"

#include <array>

namespace presswick {
namespace {

using K = ControlKind;
using namespace style;

constexpr std::string_view DialogFont = "MS Sans Serif";

constexpr std::array ProgressControls{
    ControlTemplate{1005, K::ProgressBar, "Progress1", 16, 21, 154, 13, 0},
    ControlTemplate{1008, K::Static, "", 13, 7, 158, 8, 0},
};

constexpr std::array PostScriptControls{
    ControlTemplate{1001, K::ComboBox, "", 18, 19, 187, 67, Group | TabStop | Sorted | VScroll},
    ControlTemplate{1080, K::GroupBox, "File Type", 10, 46, 221, 40, Group},
    ControlTemplate{1011, K::RadioButton, "Font", 21, 55, 114, 13, Disabled},
    ControlTemplate{1012, K::RadioButton, "Profile", 141, 55, 83, 13, 0},
    ControlTemplate{1013, K::RadioButton, "Overlay", 21, 70, 114, 13, 0},
    ControlTemplate{1014, K::RadioButton, "PCL Font", 141, 70, 83, 13, Hidden | Disabled},
    ControlTemplate{1092, K::GroupBox, "Action", 10, 92, 221, 62, 0},
    ControlTemplate{1021, K::RadioButton, "Download", 21, 106, 112, 10, Group},
    ControlTemplate{1083, K::GroupBox, "Location", 10, 163, 221, 30, 0},
    ControlTemplate{1029, K::RadioButton, "Delete", 141, 106, 80, 10, 0},
    ControlTemplate{1020, K::Static, "File(s):", 21, 119, 144, 9, 0},
    ControlTemplate{1030, K::PushButton, "Log", 15, 201, 54, 14, TabStop},
    ControlTemplate{1002, K::ComboBox, "", 21, 133, 146, 62, TabStop | Sorted | VScroll},
    ControlTemplate{3, K::PushButton, "Browse", 173, 133, 50, 14, TabStop},
    ControlTemplate{1022, K::RadioButton, "Disk", 21, 176, 53, 10, 0},
    ControlTemplate{1023, K::RadioButton, "Flash", 78, 176, 57, 10, 0},
    ControlTemplate{1024, K::RadioButton, "Memory", 141, 176, 80, 10, 0},
    ControlTemplate{1017, K::Edit, "", 21, 133, 146, 12, Disabled | AutoHScroll},
    ControlTemplate{1004, K::DefPushButton, "Download", 173, 201, 54, 14, TabStop},
    ControlTemplate{1082, K::GroupBox, "Printer", 10, 7, 221, 33, Group},
};

constexpr std::array Pcl5Controls{
    ControlTemplate{1081, K::ComboBox, "", 18, 19, 187, 44, Group | TabStop | Sorted | VScroll},
    ControlTemplate{1062, K::GroupBox, "File Type", 10, 46, 221, 40, Group},
    ControlTemplate{1056, K::RadioButton, "Font", 21, 55, 114, 13, 0},
    ControlTemplate{1058, K::RadioButton, "Macro", 21, 70, 114, 13, 0},
    ControlTemplate{1059, K::RadioButton, "Symbol Set", 141, 55, 82, 13, VCenter},
    ControlTemplate{1057, K::RadioButton, "Pattern", 141, 70, 82, 13, Hidden | Disabled},
    ControlTemplate{1068, K::RadioButton, "Download", 21, 106, 114, 10, Group},
    ControlTemplate{1069, K::RadioButton, "Delete", 141, 106, 82, 10, 0},
    ControlTemplate{1076, K::Static, "File(s):", 21, 119, 146, 9, Disabled},
    ControlTemplate{1070, K::PushButton, "Log", 15, 201, 54, 14, TabStop},
    ControlTemplate{1067, K::ComboBox, "", 21, 133, 146, 62, TabStop | Sorted | VScroll},
    ControlTemplate{1071, K::PushButton, "Browse", 173, 133, 50, 14, TabStop},
    ControlTemplate{1072, K::RadioButton, "Disk", 21, 176, 49, 10, Group},
    ControlTemplate{1073, K::RadioButton, "Flash", 78, 176, 58, 10, 0},
    ControlTemplate{1074, K::RadioButton, "Memory", 141, 176, 83, 10, 0},
    ControlTemplate{1079, K::Edit, "", 21, 133, 146, 12, Disabled | TabStop | Border | AutoHScroll},
    ControlTemplate{1066, K::DefPushButton, "Download", 173, 201, 54, 14, TabStop},
    ControlTemplate{1089, K::GroupBox, "Printer", 10, 7, 221, 33, Group | TabStop},
    ControlTemplate{1090, K::GroupBox, "Location", 10, 163, 221, 30, 0},
    ControlTemplate{1091, K::GroupBox, "Action", 10, 92, 221, 62, Group},
};

constexpr std::array AboutControls{
    ControlTemplate{1096, K::Picture, "", 53, 9, 147, 112, CenterImage | Transparent},
    ControlTemplate{1007, K::Static, "Application", 41, 132, 68, 8, NoPrefix},
    ControlTemplate{1009, K::Static, "X.X.X", 110, 132, 38, 8, NoPrefix},
    ControlTemplate{1094, K::Static, "Company", 41, 147, 188, 9, 0},
    ControlTemplate{1095, K::Static, "Legal notice", 41, 162, 170, 11, 0},
};

constexpr std::array Templates{
    DialogTemplate{ids::ProgressDialog, 186, 47, "", DialogFont, 8, ProgressControls},
    DialogTemplate{ids::PostScriptPage, 243, 222, "PostScript", DialogFont, 8, PostScriptControls},
    DialogTemplate{ids::Pcl5Page, 243, 222, "PCL5", DialogFont, 8, Pcl5Controls},
    DialogTemplate{ids::AboutPage, 243, 222, "About", DialogFont, 8, AboutControls},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& dialog : Templates)
        if (dialog.id == id) return &dialog;
    return nullptr;
}

}  // namespace presswick
