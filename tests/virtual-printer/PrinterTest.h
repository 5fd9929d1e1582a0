#pragma once
// A fresh folder for one virtual printer, under the working folder rather than TMPDIR: the
// interpreter may write below TMPDIR anyway, so a test rooted there could pass by accident.

#include "tools/virtual-printer/VirtualPrinter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace presswick::virtualprinter::testing {

class PrinterFolder {
public:
    PrinterFolder() {
        std::string pattern = (std::filesystem::current_path() / "virtual-printer-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~PrinterFolder() {
        std::error_code ignored;
        if (!path_.empty() && !std::getenv("PRESSWICK_KEEP_PRINTER")) std::filesystem::remove_all(path_, ignored);
    }
    PrinterFolder(const PrinterFolder&) = delete;
    PrinterFolder& operator=(const PrinterFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string Contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A test with a printer of its own, as it is when switched on.
class PrinterTest : public ::testing::Test {
protected:
    Settings settings() const {
        Settings s;
        s.root = folder.path();
        return s;
    }

    PrinterFolder folder;
    VirtualPrinter printer{settings()};
};

}  // namespace presswick::virtualprinter::testing
