#pragma once
// The part of a PCL5 printer that keeps resources in memory: soft fonts (ESC*c#D, ESC)s#W,
// ESC*c#E, ESC(s#W, ESC*c#F), macros (ESC&f#Y, ESC&f#X) and symbol sets (ESC*c#R, ESC(f#W,
// ESC*c#S). Everything else is parsed only far enough to step over it, and counted.

#include "tools/virtual-printer/JobRecord.h"

#include <map>
#include <string>
#include <string_view>

namespace presswick::virtualprinter {

struct PclResource {
    std::string bytes;  // the commands that defined it (fonts, symbol sets) or the macro body
    bool permanent = false;
};

class Pcl5Interpreter {
public:
    // Runs PCL data up to a Universal Exit Language sequence that stands where a command may
    // start (counted binary data is never searched); returns how many bytes it used.
    std::size_t run(std::string_view data, JobRecord& record);
    // ESC E, and the end of every PCL job: temporary resources go, permanent ones stay.
    void reset(const std::string& when, JobRecord& record);

    const std::map<int, PclResource>& fonts() const { return fonts_; }
    const std::map<int, PclResource>& macros() const { return macros_; }
    const std::map<int, PclResource>& symbolSets() const { return symbolSets_; }

private:
    struct Parameter {
        long value = 0;
        char letter = 0;  // upper case
        std::string_view data;
    };
    struct Command {
        std::size_t begin = 0, end = 0;
        char family = 0;  // the parameterised character, 0 for a two-character command
        char group = 0;
        char finalChar = 0;  // a two-character command's character
        std::vector<Parameter> parameters;
        bool complete = true;
    };

    static Command Parse(std::string_view data, std::size_t at);
    void act(const Command& command, std::string_view bytes, JobRecord& record);
    void fontOrSymbolSetControl(char letter, long operation, JobRecord& record);
    void macroControl(long operation, std::size_t commandBegin, std::size_t commandEnd, JobRecord& record);

    std::map<int, PclResource> fonts_, macros_, symbolSets_;
    int fontId_ = 0, macroId_ = 0, symbolSetId_ = 0;

    // Within one run:
    std::string_view data_;
    bool defining_ = false;
    std::size_t macroStart_ = 0;
    std::map<std::string, int> passedOver_;
    std::size_t textBytes_ = 0;
    std::string textSample_;
};

}  // namespace presswick::virtualprinter
