#pragma once
// Dialog templates: controls with their ids, kinds, texts and places in dialog units.

#include "res/Controls.h"

#include <span>
#include <string_view>

namespace presswick {

enum class ControlKind { ComboBox, GroupBox, RadioButton, Static, PushButton, DefPushButton, Edit,
                         ProgressBar, Picture };

namespace style {
inline constexpr unsigned Group = 1u << 0;       // starts a group (tabbing, radio buttons)
inline constexpr unsigned TabStop = 1u << 1;
inline constexpr unsigned Disabled = 1u << 2;
inline constexpr unsigned Hidden = 1u << 3;
inline constexpr unsigned Sorted = 1u << 4;      // combo box keeps its entries sorted
inline constexpr unsigned VScroll = 1u << 5;
inline constexpr unsigned VCenter = 1u << 6;     // text centred vertically
inline constexpr unsigned NoPrefix = 1u << 7;    // '&' shown as it is
inline constexpr unsigned AutoHScroll = 1u << 8;
inline constexpr unsigned Border = 1u << 9;
inline constexpr unsigned Number = 1u << 10;     // edit box takes digits only
inline constexpr unsigned CenterImage = 1u << 11;
inline constexpr unsigned Transparent = 1u << 12;
}  // namespace style

struct ControlTemplate {
    int id;
    ControlKind kind;
    std::string_view text;
    int x, y, width, height;  // dialog units
    unsigned style;
};

struct DialogTemplate {
    int id;
    int width, height;  // dialog units
    std::string_view caption;
    std::string_view fontName;
    int fontPoints;
    std::span<const ControlTemplate> controls;  // in template order, which is the tab order
};

// The template with this id; null for an id that has none.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace presswick
