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

// Outcomes of the spool jobs (M1 to M11)
inline constexpr std::string_view NoPrinterChosen = "Не установлено ни одного поддерживаемого драйвера принтера!";  // M1
inline constexpr std::string_view NoFileChosen = "Укажите файл, который нужно загрузить";  // M2
inline constexpr std::string_view NothingToDelete =
    "Введите имя файла, имя шрифта или ID шрифта, который необходимо удалить";  // M3
inline constexpr std::string_view PrinterDoesNotOpen =
    "Выбранный принтер не открывается. Снова установить выбранный драйвер.";  // M4
inline constexpr std::string_view SpoolerDisabled = "Спулер отключен!";  // M5
inline constexpr std::string_view CannotWriteToPrinter = "Нельзя записывать в принтер!";  // M6
inline constexpr std::string_view PrinterOffline = "Принтер в режиме Off-line";  // M7
inline constexpr std::string_view JobDeleted = "Ошибка! Нельзя загрузить файл.";  // M8
inline constexpr std::string_view JobError = "В процессе загрузки произошла ошибка";  // M9
inline constexpr std::string_view DownloadSucceeded = "Выбранный файл был успешно загружен";  // M10
inline constexpr std::string_view DeletionSent = "Ваша команда на удаление %s была отгружена в принтер";  // M11

// The framework's file errors; %s is the file's path
inline constexpr std::string_view FileNotFound = "Файл %s не найден.";
inline constexpr std::string_view FileAccessDenied = "Нет доступа к файлу %s.";
inline constexpr std::string_view FileInUse = "Файл %s используется другой программой.";
inline constexpr std::string_view FileReadFailed = "Ошибка при чтении файла %s.";
inline constexpr std::string_view FileOpenFailed = "Не удаётся открыть файл %s.";

// The progress window
inline constexpr int ProgressCaptionId = 127;
inline constexpr std::string_view ProgressCaption = "Presswick";  // string 127
inline constexpr std::string_view DownloadStatus = "Статус загрузки";

}  // namespace presswick::texts
