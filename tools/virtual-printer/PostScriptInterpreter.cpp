#include "tools/virtual-printer/PostScriptInterpreter.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace presswick::virtualprinter {

extern const char PostScriptPrologue[];

namespace {

std::string ReadFile(const fs::path& path, std::size_t limit = std::string::npos) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    char buffer[65536];
    while (text.size() < limit && in.read(buffer, sizeof buffer), in.gcount() > 0)
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > limit) text.resize(limit);
    return text;
}

void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string FromHex(std::string_view hex) {
    std::string bytes;
    int high = -1;
    for (char c : hex) {
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : (c >= 'a' && c <= 'f')                   ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F')                   ? c - 'A' + 10
                                                               : -1;
        if (c == '>') break;
        if (digit < 0) continue;
        if (high < 0) {
            high = digit;
        } else {
            bytes += char(high * 16 + digit);
            high = -1;
        }
    }
    return bytes;
}

// The text of a PostScript string literal that starts at `open` (the "(").
std::string StringLiteral(std::string_view text, std::size_t open) {
    std::string value;
    int depth = 1;
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            c = text[++i];
            static const std::string_view escapes = "n\nr\rt\tb\bf\f";
            if (auto at = escapes.find(c); at != std::string_view::npos && at % 2 == 0) value += escapes[at + 1];
            else if (c >= '0' && c <= '7') {
                int code = c - '0';
                for (int k = 0; k < 2 && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7'; ++k)
                    code = code * 8 + (text[++i] - '0');
                value += char(code);
            } else if (c != '\n') value += c;
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) break;
        value += c;
    }
    return value;
}

struct RunResult {
    bool timedOut = false;
    int exitCode = 0;
    bool signalled = false;
};

// Runs the interpreter with a time limit and a limit on the size of every file it writes;
// a file that reaches the limit fails the write, so the job ends with an ioerror.
RunResult RunLimited(const std::vector<std::string>& arguments, const fs::path& folder, const fs::path& output,
                     std::chrono::milliseconds timeLimit, std::uintmax_t fileSizeLimit) {
    RunResult result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{fileSizeLimit, fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || in < 0 || ::chdir(folder.c_str()) != 0) ::_exit(126);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        std::vector<char*> argv;
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    if (pid < 0) {
        result.exitCode = -1;
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    int status = 0;
    for (auto pause = std::chrono::milliseconds(1);; pause = std::min(pause * 2, std::chrono::milliseconds(20))) {
        if (::waitpid(pid, &status, WNOHANG) == pid) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(pause);
    }
    result.signalled = WIFSIGNALED(status);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Seconds(std::chrono::milliseconds time) {
    std::ostringstream text;
    text << double(time.count()) / 1000 << " s";
    return text.str();
}

}  // namespace

PostScriptInterpreter::PostScriptInterpreter(PostScriptSettings settings) : settings_(std::move(settings)) {
    fs::create_directories(settings_.work);
    WriteFile(settings_.work / "prologue.ps", PostScriptPrologue);
}

// Ghostscript cannot make folders, and a printer's disk makes them as a file is written: the
// folders of every %disk0%/%disk1% name the program spells out are made before it runs.
std::vector<fs::path> PostScriptInterpreter::makeFoldersFor(std::string_view program) const {
    std::vector<fs::path> made;
    for (std::size_t at = program.find("(%disk"); at != std::string_view::npos; at = program.find("(%disk", at + 1)) {
        const std::string name = StringLiteral(program, at);
        if (name.size() < 8 || (name[5] != '0' && name[5] != '1') || name[6] != '%') continue;
        const fs::path relative = fs::path(name.substr(7)).relative_path();
        if (std::any_of(relative.begin(), relative.end(), [](const fs::path& part) { return part == ".."; }))
            continue;
        fs::path folder = settings_.volumes / ("disk" + name.substr(5, 1));
        for (const fs::path& part : relative.parent_path()) {
            folder /= part;
            std::error_code error;
            if (fs::create_directory(folder, error)) made.push_back(folder);
        }
    }
    return made;
}

void PostScriptInterpreter::run(std::string_view program, JobRecord& record) {
    const fs::path job = settings_.work / "job.ps";
    const fs::path events = settings_.work / "events";
    const fs::path output = settings_.work / "output";
    WriteFile(job, program);
    fs::remove(events);
    // The fonts kept in memory are defined again before the job, each in its own stopped context.
    const fs::path memory = settings_.work / "memory";
    std::error_code ignored;
    fs::remove_all(memory, ignored);
    fs::create_directories(memory);
    std::string replay;
    int count = 0;
    for (const auto& [name, font] : fonts_) {
        const fs::path file = memory / (std::to_string(++count) + ".ps");
        WriteFile(file, font.bytes);
        replay += "{ (" + file.string() + ") run } stopped pop\n";
    }
    WriteFile(memory / "all.ps", replay);
    const std::vector<fs::path> madeFolders = makeFoldersFor(program);

    const std::string volumes = settings_.volumes.string();
    const std::vector<std::string> arguments = {
        settings_.ghostscript, "-q", "-dSAFER", "-dNODISPLAY", "-dBATCH", "-dNOPAUSE", "-dSHORTERRORS",
        // "folder/*" takes in the subfolders; "folder/" alone would not.
        "--permit-file-all=" + volumes + "/disk0/*", "--permit-file-all=" + volumes + "/disk1/*",
        "--permit-file-read=" + job.string(), "--permit-file-read=" + memory.string() + "/",
        "--permit-file-write=" + events.string(),
        "-sFONTPATH=" + volumes + "/disk1/Resource/Font:" + volumes + "/disk0/Resource/Font",
        "-sVP_VOLUMES=" + volumes, "-sVP_MEMORY=" + (memory / "all.ps").string(),
        "-sVP_EVENTS=" + events.string(), "-sVP_JOB=" + job.string(),
        "-dVP_PASSWORD=" + std::to_string(settings_.serverPassword), (settings_.work / "prologue.ps").string()};
    const auto started = std::chrono::steady_clock::now();
    const RunResult result = RunLimited(arguments, settings_.work, output, settings_.timeLimit, settings_.fileSizeLimit);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);

    for (auto folder = madeFolders.rbegin(); folder != madeFolders.rend(); ++folder) {
        std::error_code ignored;
        if (fs::is_empty(*folder, ignored)) fs::remove(*folder, ignored);
    }

    // What the printer said, line by line.
    std::istringstream said(ReadFile(output, 1 << 20));
    int lines = 0;
    for (std::string line; std::getline(said, line);) {
        if (line.empty()) continue;
        if (++lines > 40) {
            record.note("PostScript: (more output not shown)");
            break;
        }
        record.note("PostScript: " + line);
    }

    bool finished = false;
    std::size_t exitserverAt = std::string_view::npos;
    std::istringstream eventLines(ReadFile(events));
    for (std::string line; std::getline(eventLines, line);) {
        const std::string kind = line.substr(0, line.find(' '));
        const std::string value = FromHex(line.substr(std::min(line.size(), kind.size() + 1)));
        if (kind == "done") {
            finished = true;
        } else if (kind == "exitserver") {
            exitserverAt = std::min<std::size_t>(std::strtoull(value.c_str(), nullptr, 10), program.size());
            record.note("PostScript: exitserver: what follows changes the permanent state");
        } else if (kind == "font") {
            record.note("PostScript: font " + value + " defined for this job only");
        } else if (kind == "font-permanent") {
            std::size_t from = exitserverAt == std::string_view::npos ? 0 : program.find('\n', exitserverAt);
            from = from == std::string_view::npos ? program.size() : from + 1;
            fonts_[value] = PostScriptFont{std::string(program.substr(from)), record.number};
            record.note("PostScript: font " + value + " defined in memory until the printer restarts");
        } else if (kind == "undefinefont" || kind == "undefinefont-unknown") {
            std::string note = "PostScript: undefinefont /" + value;
            if (kind == "undefinefont-unknown") note += ": no such font is defined";
            if (fonts_.count(value) && exitserverAt != std::string_view::npos) {
                fonts_.erase(value);
                note += ": removed from memory";
            } else if (fonts_.count(value)) {
                note += ": gone for this job; it stays in memory, which only a job after exitserver changes";
            }
            record.note(note);
        } else if (kind == "register") {
            profiles_[value] = record.number;
            record.note("PostScript: profile " + value + " registered");
        } else if (kind == "unregister") {
            const bool was = profiles_.erase(value) > 0;
            record.note("PostScript: profile " + value + " unregistered" + (was ? "" : " (it was not registered)"));
        }
    }
    if (result.timedOut)
        record.note("PostScript: stopped after " + Seconds(settings_.timeLimit) +
                    " (the time limit); the rest of the job is flushed");
    else if (result.exitCode == 127)
        record.note("PostScript: refused: the interpreter " + settings_.ghostscript + " could not be started");
    else if (!finished)
        record.note("PostScript: the interpreter ended early (exit code " + std::to_string(result.exitCode) +
                    (result.signalled ? ", killed by a signal" : "") + ")");
    record.note("PostScript: ran " + std::to_string(program.size()) + " bytes in " + Seconds(took));
}

}  // namespace presswick::virtualprinter
