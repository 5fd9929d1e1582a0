#include "tools/virtual-printer/Pcl5Interpreter.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace presswick::virtualprinter {
namespace {

constexpr char Esc = '\x1b';

// Commands whose value counts the binary bytes that follow them.
bool CarriesData(char family, char group, char letter) {
    static const char* const withData[] = {")sW", "(sW", "(fW", "*cW", "*bW", "*bV", "*vW", "&pX",
                                           "*mW", "*lW", "*iW", "&nW", "*oW", "&bW", "*gW"};
    for (const char* c : withData)
        if (c[0] == family && c[1] == group && c[2] == letter) return true;
    return false;
}

std::string KindName(const char* kind, int id) { return std::string(kind) + " " + std::to_string(id); }

void Drop(std::map<int, PclResource>& resources, const char* kind, bool permanentToo,
          const std::string& when, JobRecord& record) {
    for (auto it = resources.begin(); it != resources.end();) {
        if (permanentToo || !it->second.permanent) {
            record.note("PCL: " + std::string(it->second.permanent ? "permanent " : "temporary ") +
                        KindName(kind, it->first) + " dropped " + when);
            it = resources.erase(it);
        } else {
            ++it;
        }
    }
}

void SetPermanence(std::map<int, PclResource>& resources, const char* kind, int id, bool permanent,
                   JobRecord& record) {
    auto found = resources.find(id);
    if (found == resources.end()) {
        record.note("PCL: no " + KindName(kind, id) + " to make " + (permanent ? "permanent" : "temporary"));
        return;
    }
    found->second.permanent = permanent;
    record.note("PCL: " + KindName(kind, id) + " made " + (permanent ? "permanent" : "temporary") + " (" +
                std::to_string(found->second.bytes.size()) + " bytes)");
}

void DeleteOne(std::map<int, PclResource>& resources, const char* kind, int id, JobRecord& record) {
    record.note("PCL: " + KindName(kind, id) + (resources.erase(id) ? " deleted" : " to delete: there is none"));
}

}  // namespace

Pcl5Interpreter::Command Pcl5Interpreter::Parse(std::string_view data, std::size_t at) {
    Command command;
    command.begin = at;
    std::size_t i = at + 1;
    if (i >= data.size()) {
        command.complete = false;
        command.end = i;
        return command;
    }
    const auto c = static_cast<unsigned char>(data[i]);
    if (c >= 48 && c <= 126) {
        command.finalChar = char(c);
        command.end = i + 1;
        return command;
    }
    if (c < 33 || c > 47) {  // not a command: the ESC stands alone
        command.complete = false;
        command.end = i;
        return command;
    }
    command.family = char(c);
    ++i;
    if (i < data.size() && data[i] >= 96 && data[i] <= 126) command.group = data[i++];
    for (;;) {
        Parameter parameter;
        bool negative = false;
        if (i < data.size() && (data[i] == '+' || data[i] == '-')) negative = data[i++] == '-';
        long value = 0;
        while (i < data.size() && std::isdigit(static_cast<unsigned char>(data[i]))) {
            value = std::min<long>(value * 10 + (data[i] - '0'), INT_MAX);
            ++i;
        }
        if (i < data.size() && data[i] == '.') {
            ++i;
            while (i < data.size() && std::isdigit(static_cast<unsigned char>(data[i]))) ++i;
        }
        parameter.value = negative ? -value : value;
        if (i >= data.size() || data[i] < 64 || data[i] > 126) {
            command.complete = false;  // ended without a parameter character
            break;
        }
        const bool last = data[i] <= 94;
        parameter.letter = char(std::toupper(static_cast<unsigned char>(data[i])));
        ++i;
        if (CarriesData(command.family, command.group, parameter.letter) && parameter.value > 0) {
            const std::size_t count = std::min<std::size_t>(std::size_t(parameter.value), data.size() - i);
            parameter.data = data.substr(i, count);
            if (count < std::size_t(parameter.value)) command.complete = false;
            i += count;
        }
        command.parameters.push_back(parameter);
        if (last) break;
    }
    command.end = i;
    return command;
}

std::size_t Pcl5Interpreter::run(std::string_view data, JobRecord& record) {
    data_ = data;
    passedOver_.clear();
    textBytes_ = 0;
    textSample_.clear();
    std::size_t at = 0;
    while (at < data.size()) {
        if (data[at] != Esc) {
            const std::size_t next = std::min(data.find(Esc, at), data.size());
            if (!defining_) {
                textBytes_ += next - at;
                if (textSample_.size() < 64) textSample_ += data.substr(at, std::min<std::size_t>(next - at, 64));
            }
            at = next;
            continue;
        }
        const Command command = Parse(data, at);
        const bool uel = command.family == '%' && command.group == 0 && command.parameters.size() == 1 &&
                         command.parameters[0].letter == 'X' && command.parameters[0].value == -12345;
        if (uel) break;
        act(command, data.substr(command.begin, command.end - command.begin), record);
        at = command.end;
        // HP-GL/2 runs until the next escape sequence; it is stepped over.
        if (command.family == '%' && !command.parameters.empty() && command.parameters.back().letter == 'B') {
            const std::size_t next = std::min(data.find(Esc, at), data.size());
            ++passedOver_["HP-GL/2 data (" + std::to_string(next - at) + " bytes)"];
            at = next;
        }
    }
    if (defining_) {
        record.note("PCL: macro " + std::to_string(macroId_) + " was still being defined at the end of the job: dropped");
        defining_ = false;
    }
    if (textBytes_)
        record.note("PCL: printed " + std::to_string(textBytes_) + " bytes of text and control codes: " +
                    Visible(textSample_, 40));
    if (!passedOver_.empty()) {
        std::string list;
        int count = 0, shown = 0;
        for (const auto& [name, times] : passedOver_) {
            count += times;
            if (++shown <= 12) list += " " + name + (times > 1 ? " x" + std::to_string(times) : "");
        }
        if (shown > 12) list += " ...";
        record.note("PCL: passed over " + std::to_string(count) + " other commands:" + list);
    }
    return at;
}

void Pcl5Interpreter::act(const Command& command, std::string_view bytes, JobRecord& record) {
    if (!command.complete) {
        record.note("PCL: not a complete command: " + Visible(bytes, 24));
        return;
    }
    if (defining_) {  // a macro body is stored, not run; only the end of the definition counts
        for (const Parameter& p : command.parameters)
            if (command.family == '&' && command.group == 'f' && p.letter == 'X' && p.value == 1)
                macroControl(1, command.begin, command.end, record);
        if (command.finalChar == 'E') {
            record.note("PCL: ESC E within the definition of macro " + std::to_string(macroId_) + " ends it");
            defining_ = false;
            reset("at ESC E", record);
        }
        return;
    }
    if (command.finalChar == 'E') {
        reset("at ESC E", record);
        return;
    }
    const std::string family{command.family, command.group};
    bool fontBytesTaken = false;
    for (const Parameter& p : command.parameters) {
        const int value = int(p.value);
        if (family == "*c" && p.letter == 'D') fontId_ = value;
        else if (family == "*c" && (p.letter == 'F' || p.letter == 'S')) fontOrSymbolSetControl(p.letter, value, record);
        else if (family == "*c" && p.letter == 'R') symbolSetId_ = value;
        else if (family == "&f" && p.letter == 'Y') macroId_ = value;
        else if (family == "&f" && p.letter == 'X') macroControl(value, command.begin, command.end, record);
        else if (family == ")s" && p.letter == 'W') {
            record.note("PCL: font " + std::to_string(fontId_) + (fonts_.count(fontId_) ? " replaced" : " defined") +
                        " by a header of " + std::to_string(p.data.size()) + " bytes");
            fonts_[fontId_] = PclResource{std::string(bytes), false};
        } else if ((family == "*c" && p.letter == 'E') || (family == "(s" && p.letter == 'W')) {
            auto font = fonts_.find(fontId_);
            if (font == fonts_.end()) {
                ++passedOver_["character data for font " + std::to_string(fontId_) + ", which has no header"];
            } else if (!fontBytesTaken) {
                font->second.bytes += bytes;
                fontBytesTaken = true;
            }
        } else if (family == "(f" && p.letter == 'W') {
            record.note("PCL: symbol set " + std::to_string(symbolSetId_) +
                        (symbolSets_.count(symbolSetId_) ? " replaced" : " defined") + " (" +
                        std::to_string(p.data.size()) + " bytes of data)");
            symbolSets_[symbolSetId_] = PclResource{std::string(bytes), false};
        } else {
            std::string name = "\\e";
            name += family;
            name += std::to_string(p.value);
            name += p.letter;
            ++passedOver_[name];
        }
    }
    if (command.parameters.empty() && command.finalChar) ++passedOver_[std::string("\\e") + command.finalChar];
}

// ESC*c#F and ESC*c#S number their operations alike.
void Pcl5Interpreter::fontOrSymbolSetControl(char letter, long operation, JobRecord& record) {
    const bool font = letter == 'F';
    auto& resources = font ? fonts_ : symbolSets_;
    const char* kind = font ? "font" : "symbol set";
    const int id = font ? fontId_ : symbolSetId_;
    const std::string command = "\\e*c" + std::to_string(operation) + letter;
    switch (operation) {
    case 0: Drop(resources, kind, true, "by " + command, record); break;
    case 1: Drop(resources, kind, false, "by " + command, record); break;
    case 2: DeleteOne(resources, kind, id, record); break;
    case 4: SetPermanence(resources, kind, id, false, record); break;
    case 5: SetPermanence(resources, kind, id, true, record); break;
    default: ++passedOver_[command];
    }
}

void Pcl5Interpreter::macroControl(long operation, std::size_t commandBegin, std::size_t commandEnd,
                                   JobRecord& record) {
    const std::string name = "macro " + std::to_string(macroId_);
    switch (operation) {
    case 0:
        defining_ = true;
        macroStart_ = commandEnd;
        break;
    case 1:
        if (!defining_) {
            record.note("PCL: end of a macro definition that was not started (ESC&f1X): ignored");
            break;
        }
        defining_ = false;
        record.note("PCL: " + name + (macros_.count(macroId_) ? " replaced" : " defined") + " (" +
                    std::to_string(commandBegin - macroStart_) + " bytes)");
        macros_[macroId_] = PclResource{std::string(data_.substr(macroStart_, commandBegin - macroStart_)), false};
        break;
    case 2:
    case 3:
    case 4: {
        static const char* const how[] = {"run", "called", "enabled as the overlay"};
        record.note("PCL: " + name + (macros_.count(macroId_) ? std::string(" ") + how[operation - 2]
                                                               : std::string(" asked for: there is none")));
        break;
    }
    case 6: Drop(macros_, "macro", true, "by ESC&f6X", record); break;
    case 7: Drop(macros_, "macro", false, "by ESC&f7X", record); break;
    case 8: DeleteOne(macros_, "macro", macroId_, record); break;
    case 9: SetPermanence(macros_, "macro", macroId_, false, record); break;
    case 10: SetPermanence(macros_, "macro", macroId_, true, record); break;
    default: ++passedOver_["\\e&f" + std::to_string(operation) + "X"];
    }
}

void Pcl5Interpreter::reset(const std::string& when, JobRecord& record) {
    Drop(fonts_, "font", false, when, record);
    Drop(macros_, "macro", false, when, record);
    Drop(symbolSets_, "symbol set", false, when, record);
    fontId_ = macroId_ = symbolSetId_ = 0;
}

}  // namespace presswick::virtualprinter
