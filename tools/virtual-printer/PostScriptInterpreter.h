#pragma once
// The PostScript half of the printer: Ghostscript runs each PostScript job, with the printer's
// disks %disk0% and %disk1% on the volume folders, exitserver, and statusdict's profile operators.

#include "tools/virtual-printer/JobRecord.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace presswick::virtualprinter {

struct PostScriptSettings {
    std::string ghostscript = "gs";
    std::filesystem::path volumes;  // holds disk0 and disk1
    std::filesystem::path work;     // the interpreter's scratch folder
    std::chrono::milliseconds timeLimit{20000};
    std::uintmax_t fileSizeLimit = 256u << 20;
    int serverPassword = 0;
};

struct PostScriptFont {
    std::string bytes;  // what followed the exitserver line, to the end of the PostScript data
    int job = 0;
};

class PostScriptInterpreter {
public:
    explicit PostScriptInterpreter(PostScriptSettings settings);

    void run(std::string_view program, JobRecord& record);

    // Fonts defined after exitserver, by FontName; and registered profiles with their job.
    const std::map<std::string, PostScriptFont>& fonts() const { return fonts_; }
    const std::map<std::string, int>& profiles() const { return profiles_; }

private:
    std::vector<std::filesystem::path> makeFoldersFor(std::string_view program) const;

    PostScriptSettings settings_;
    std::map<std::string, PostScriptFont> fonts_;
    std::map<std::string, int> profiles_;
};

}  // namespace presswick::virtualprinter
