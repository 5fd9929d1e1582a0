#pragma once
// The system's own texts, each in one place. UTF-8 here; the windows show them as Unicode.

#include <string_view>

namespace presswick::texts {

inline constexpr std::string_view ProductName = "Presswick";
inline constexpr std::string_view ProductVersion = "0.0.5";
inline constexpr std::string_view MessageCaption = "Presswick";

// The single-instance guard
inline constexpr std::string_view InstanceMutexName = "{{5E0C71D2-93AB-4f6e-8D14-2B7C60A9F3E5}}";
inline constexpr std::string_view AlreadyRunning = "Программа уже запущена...";

// The supported printer list
inline constexpr std::string_view SupportedModel = "Corvan 4400";
inline constexpr std::string_view NoSupportedDriver =
    "Не найден поддерживаемый драйвер принтера. Подробную информацию найдете в файле readme.txt.";
inline constexpr std::string_view EnumerationFailed = "Could not enum Printer info:: ";

// Page captions (tab texts)
inline constexpr std::string_view PostScriptPageCaption = "PostScript";
inline constexpr std::string_view Pcl5PageCaption = "PCL5";
inline constexpr std::string_view AboutPageCaption = "About";  // string 101
inline constexpr std::string_view AboutTabTitle = "О программе";

}  // namespace presswick::texts
