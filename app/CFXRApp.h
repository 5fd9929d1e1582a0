#pragma once
// The application object: start-up, the single-instance guard, and the state that the pages,
// the prompts and the jobs share.

#include "app/QtMessageBoxes.h"

#include <cstdint>
#include <string>
#include <vector>

class QComboBox;
class QWidget;

namespace presswick {

class Spooler;
class System;

class CFXRApp {
public:
    CFXRApp(Spooler& spooler, System& system);

    // Runs the program: the guard, then the sheet until it closes. Returns false, always.
    bool InitInstance();

    bool EnumerateSupportedPrinters(QComboBox* printerBox, std::string previousChoice);

    // Every message box of the program goes through here; tests replace the handler.
    MessageAnswer MessageBox(QWidget* owner, const MessageBoxSpec& box) const;
    MessageBoxHandler messageBoxHandler = ShowQtMessageBox;

    // Qt's own button texts in Russian, like the rest of the windows; loaded once per process.
    static void LoadRussianQtTexts();
    // The caption of the framework's own message boxes: the executable's name without extension.
    static std::string ApplicationTitle();

    Spooler& spooler;
    System& system;

    std::int32_t PromptFontId = 0;
    std::string PromptFileName;
    std::string ProductName;
    std::string CurrentPrinterName;
    std::vector<std::string> SupportedPrinters;
    std::uint16_t Pcl5FileTypeChoice = 0;
    std::uint16_t Pcl5ActionChoice = 0;
    std::uint16_t Pcl5LocationChoice = 0;
    QWidget* MainWindow = nullptr;
};

}  // namespace presswick
