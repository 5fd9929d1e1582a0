#pragma once
// Ids of the dialog templates and of the controls the code reaches.
// A page's choices are stored as the id of the checked radio button.

#include <cstdint>

namespace presswick::ids {

// Dialog templates
inline constexpr int ProgressDialog = 126;
inline constexpr int PostScriptPage = 128;
inline constexpr int Pcl5Page = 142;
inline constexpr int AboutPage = 143;

// Progress window
inline constexpr int ProgressBar = 1005;
inline constexpr int ProgressStatus = 1008;

// PostScript page
inline constexpr int PsPrinterList = 1001;

// PCL5 page
inline constexpr int Pcl5PrinterList = 1081;
inline constexpr std::uint16_t Pcl5Font = 1056;
inline constexpr std::uint16_t Pcl5Macro = 1058;
inline constexpr std::uint16_t Pcl5SymbolSet = 1059;
inline constexpr std::uint16_t Pcl5Download = 1068;
inline constexpr std::uint16_t Pcl5Delete = 1069;
inline constexpr std::uint16_t Pcl5Disk = 1072;
inline constexpr std::uint16_t Pcl5Flash = 1073;
inline constexpr std::uint16_t Pcl5Memory = 1074;

}  // namespace presswick::ids
