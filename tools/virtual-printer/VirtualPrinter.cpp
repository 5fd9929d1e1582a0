#include "tools/virtual-printer/VirtualPrinter.h"

#include "tools/virtual-printer/Sha256.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace presswick::virtualprinter {
namespace {

constexpr std::string_view Uel = "\x1b%-12345X";

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteWhole(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string Upper(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

struct PjlCommand {
    std::string verb;
    std::map<std::string, std::string> options;  // keys in upper case: NAME, SIZE, LANGUAGE, JOBNAME...
};

// "@PJL FSDOWNLOAD FORMAT:BINARY NAME = "1:/a" SIZE=3": the verb, then KEY [= or : VALUE] pairs.
PjlCommand ParsePjl(std::string_view line) {
    std::vector<std::string> tokens;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == '=' || c == ':') {
            tokens.emplace_back(1, c);
            ++i;
        } else if (c == '"') {
            const std::size_t close = std::min(line.find('"', i + 1), line.size());
            tokens.push_back("\"" + std::string(line.substr(i + 1, close - i - 1)));
            i = close + 1;
        } else {
            std::size_t end = i;
            while (end < line.size() && !std::strchr(" \t=:\"", line[end])) ++end;
            tokens.emplace_back(line.substr(i, end - i));
            i = end;
        }
    }
    PjlCommand command;
    auto value = [](const std::string& token) { return token.starts_with('"') ? token.substr(1) : token; };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (i == 0) {
            command.verb = Upper(tokens[0]);
            continue;
        }
        std::string key = Upper(value(tokens[i]));
        if (i + 1 < tokens.size() && (tokens[i + 1] == "=" || tokens[i + 1] == ":")) {
            command.options[key] = i + 2 < tokens.size() ? value(tokens[i + 2]) : "";
            i += 2;
        } else {
            command.options[key] = "";
        }
    }
    return command;
}

// A PJL file name "1:/PCL5files/hardfonts/12.fdl" or "0:\folder\file".
struct VolumePath {
    int volume = -1;
    std::string path;
    std::string error;
};

VolumePath ParseVolumePath(const std::string& name, int volumes) {
    VolumePath parsed;
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos || colon == 0 ||
        !std::all_of(name.begin(), name.begin() + long(colon), [](char c) { return std::isdigit((unsigned char)c); })) {
        parsed.error = "the name has no volume";
        return parsed;
    }
    parsed.volume = colon > 3 ? 999 : std::stoi(name.substr(0, colon));
    if (parsed.volume >= volumes) {
        parsed.error = "there is no volume " + name.substr(0, colon);
        return parsed;
    }
    std::string part;
    auto flush = [&] {
        if (part == "..") parsed.error = "the name leaves the volume";
        else if (!part.empty() && part != ".") parsed.path += (parsed.path.empty() ? "" : "/") + part;
        part.clear();
    };
    for (std::size_t i = colon + 1; i < name.size(); ++i) {
        if (name[i] == '/' || name[i] == '\\') flush();
        else part += name[i];
    }
    flush();
    if (parsed.error.empty() && parsed.path.empty()) parsed.error = "the name has no file";
    return parsed;
}

std::string MemoryFileName(const std::string& name) {
    std::string safe;
    static const char digits[] = "0123456789ABCDEF";
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.') safe += char(c);
        else safe += {'%', digits[c >> 4], digits[c & 15]};
    }
    return safe;
}

std::string Listing(std::string_view bytes) {
    return std::to_string(bytes.size()) + " bytes  sha256 " + Sha256Hex(bytes);
}

bool IsPjlLine(std::string_view job, std::size_t at) {
    if (job.substr(at, 4) != "@PJL") return false;
    return at + 4 == job.size() || std::strchr(" \t\r\n", job[at + 4]);
}

}  // namespace

VirtualPrinter::VirtualPrinter(Settings settings)
    : settings_(std::move(settings)),
      postScript_(PostScriptSettings{settings_.ghostscript, settings_.root, settings_.root / "work",
                                     settings_.postScriptTimeLimit, settings_.fileSizeLimit,
                                     settings_.serverPassword}) {
    for (int v = 0; v < Volumes; ++v) fs::create_directories(volumeFolder(v));
    fs::create_directories(settings_.root / "jobs");
    std::error_code ignored;
    fs::remove_all(settings_.root / "memory", ignored);
    fs::create_directories(settings_.root / "memory");
    for (const auto& entry : fs::directory_iterator(settings_.root / "jobs")) {
        const std::string stem = entry.path().stem().string();
        if (!stem.empty() && std::all_of(stem.begin(), stem.end(), [](char c) { return std::isdigit((unsigned char)c); }))
            lastJob_ = std::max(lastJob_, std::stoi(stem));
    }
    writeInventory();
}

fs::path VirtualPrinter::volumeFolder(int volume) const { return settings_.root / ("disk" + std::to_string(volume)); }

std::vector<StoredFile> VirtualPrinter::files(int volume) const {
    std::vector<StoredFile> listed;
    const fs::path folder = volumeFolder(volume);
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (!it->is_regular_file()) continue;
        const std::string bytes = ReadWhole(it->path());
        listed.push_back({fs::relative(it->path(), folder).generic_string(), bytes.size(), Sha256Hex(bytes)});
    }
    std::sort(listed.begin(), listed.end(), [](const StoredFile& a, const StoredFile& b) { return a.path < b.path; });
    return listed;
}

JobRecord& VirtualPrinter::startRecord(std::string_view job) {
    JobRecord record;
    record.number = ++lastJob_;
    record.size = job.size();
    std::ostringstream name;
    name << std::setw(6) << std::setfill('0') << record.number << ".prn";
    record.copy = (settings_.root / "jobs" / name.str()).string();
    WriteWhole(record.copy, job);
    jobs_.push_back(std::move(record));
    return jobs_.back();
}

const JobRecord& VirtualPrinter::refuse(std::string_view job, const std::string& why) {
    JobRecord& record = startRecord(job);
    record.note("refused: " + why);
    finish(record);
    return jobs_.back();
}

const JobRecord& VirtualPrinter::print(std::string_view job) {
    std::vector<std::vector<StoredFile>> before;
    for (int v = 0; v < Volumes; ++v) before.push_back(files(v));
    JobRecord& record = startRecord(job);

    std::size_t at = 0;
    while (at < job.size()) {
        if (job.substr(at).starts_with(Uel)) {
            at += Uel.size();
        } else if (IsPjlLine(job, at)) {
            at = pjlCommand(job, at, record);
        } else {
            // Data outside a language: white space is passed over, anything else goes to the
            // language it looks like, as a printer set to choose the language itself does.
            std::size_t end = at;
            while (end < job.size() && std::strchr(" \t\r\n\f", job[end]) && job[end]) ++end;
            const std::size_t next = std::min(job.find(Uel, at), job.size());
            if (end == job.size() || job.substr(end).starts_with(Uel)) {
                record.note("passed over " + std::to_string(end - at) + " bytes of white space between PJL commands: " +
                            Visible(job.substr(at, end - at)));
                at = end;
                continue;
            }
            const std::string language = job.substr(end, 2) == "%!" ? "POSTSCRIPT" : "PCL";
            record.note(std::to_string(next - at) + " bytes that are not PJL and follow no ENTER LANGUAGE: run as " +
                        language + ": " + Visible(job.substr(at, next - at)));
            at = runLanguage(language, job, at, record);
        }
    }
    noteVolumeChanges(before, record);
    finish(record);
    return jobs_.back();
}

std::size_t VirtualPrinter::pjlCommand(std::string_view job, std::size_t at, JobRecord& record) {
    const std::size_t lineFeed = job.find('\n', at);
    const std::size_t lineEnd = lineFeed == std::string_view::npos ? job.size() : lineFeed;
    const std::size_t next = lineFeed == std::string_view::npos ? job.size() : lineFeed + 1;
    std::string_view line = job.substr(at + 4, lineEnd - at - 4);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const PjlCommand command = ParsePjl(line);
    const auto option = [&](const char* key) {
        auto found = command.options.find(key);
        return found == command.options.end() ? std::string() : found->second;
    };
    const std::string name = option("NAME");

    if (command.verb.empty() || command.verb == "COMMENT") return next;
    if (command.verb == "SET" && command.options.count("JOBNAME")) {
        record.jobName = option("JOBNAME");
        record.note("PJL SET JOBNAME = " + Quoted(record.jobName));
    } else if (command.verb == "SET" && command.options.count("USERNAME")) {
        record.userName = option("USERNAME");
        record.note("PJL SET USERNAME = " + Quoted(record.userName));
    } else if (command.verb == "JOB" || command.verb == "EOJ") {
        record.note("PJL " + command.verb + (name.empty() ? "" : " NAME = " + Quoted(name)));
    } else if (command.verb == "ENTER") {
        const std::string language = Upper(option("LANGUAGE"));
        record.note("PJL ENTER LANGUAGE = " + language);
        return runLanguage(language, job, next, record);
    } else if (command.verb == "FSDOWNLOAD") {
        const std::string sizeText = option("SIZE");
        const bool sizeValid = !sizeText.empty() && sizeText.size() < 19 &&
                               std::all_of(sizeText.begin(), sizeText.end(), [](char c) { return std::isdigit((unsigned char)c); });
        const std::string what = "FSDOWNLOAD " + Quoted(name) + " SIZE=" + sizeText;
        if (!sizeValid) {
            record.note("FILE ERROR: " + what + ": no valid SIZE, so the data cannot be told from what follows: "
                        "nothing stored; the data is read as PJL");
            return next;
        }
        const std::uintmax_t size = std::stoull(sizeText);
        const std::size_t available = job.size() - next;
        if (size > available) {
            record.note("FILE ERROR: " + what + ": the job ended after " + std::to_string(available) +
                        " of those bytes: nothing stored");
            return job.size();
        }
        if (size > settings_.fileSizeLimit) {
            record.note("FILE ERROR: " + what + ": larger than the file size limit of " +
                        std::to_string(settings_.fileSizeLimit) + " bytes: nothing stored");
            return next + size;
        }
        if (!option("FORMAT").empty() && Upper(option("FORMAT")) != "BINARY")
            record.note("PJL " + what + ": FORMAT " + option("FORMAT") + " taken as BINARY");
        download(name, job.substr(next, size), record);
        return next + size;
    } else if (command.verb == "FSDELETE") {
        remove(name, record);
    } else if (command.verb == "FSMKDIR") {
        makeFolder(name, record);
    } else if (command.verb == "FSQUERY" || command.verb == "FSDIRLIST" || command.verb == "FSUPLOAD" ||
               command.verb == "INQUIRE" || command.verb == "DINQUIRE" || command.verb == "INFO" ||
               command.verb == "ECHO" || command.verb == "USTATUS") {
        record.note("PJL " + command.verb + ": a question; this printer sends no answers: " + Visible(line));
    } else {
        record.note("PJL: passed over " + Visible(line));
    }
    return next;
}

std::size_t VirtualPrinter::runLanguage(const std::string& language, std::string_view job, std::size_t at,
                                        JobRecord& record) {
    if (language == "PCL") {
        const std::size_t used = pcl_.run(job.substr(at), record);
        pcl_.reset("at the end of the PCL job", record);
        return at + used;
    }
    const std::size_t end = std::min(job.find(Uel, at), job.size());
    if (language == "POSTSCRIPT") postScript_.run(job.substr(at, end - at), record);
    else record.note("refused: this printer has no " + language + " interpreter: " + std::to_string(end - at) +
                     " bytes passed over");
    return end;
}

void VirtualPrinter::download(const std::string& name, std::string_view data, JobRecord& record) {
    const std::string what = "FSDOWNLOAD " + Quoted(name) + " SIZE=" + std::to_string(data.size());
    const VolumePath target = ParseVolumePath(name, Volumes);
    if (!target.error.empty()) {
        record.note("FILE ERROR: " + what + ": " + target.error + ": nothing stored");
        return;
    }
    const fs::path path = volumeFolder(target.volume) / target.path;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error || fs::is_directory(path)) {
        record.note("FILE ERROR: " + what + ": a file is in the way of its folder, or a folder has its name: nothing stored");
        return;
    }
    WriteWhole(path, data);
    record.note("PJL " + what + ": stored " + std::to_string(data.size()) + " bytes");
}

void VirtualPrinter::remove(const std::string& name, JobRecord& record) {
    const std::string what = "FSDELETE " + Quoted(name);
    const VolumePath target = ParseVolumePath(name, Volumes);
    if (!target.error.empty()) {
        record.note("FILE ERROR: " + what + ": " + target.error);
        return;
    }
    const fs::path path = volumeFolder(target.volume) / target.path;
    std::error_code error;
    if (!fs::exists(path, error)) {
        record.note("FILE ERROR: " + what + ": no such file");
    } else if (fs::is_directory(path) && !fs::is_empty(path)) {
        record.note("FILE ERROR: " + what + ": the folder is not empty");
    } else {
        fs::remove(path, error);
        record.note("PJL " + what + ": deleted");
    }
}

void VirtualPrinter::makeFolder(const std::string& name, JobRecord& record) {
    const std::string what = "FSMKDIR " + Quoted(name);
    const VolumePath target = ParseVolumePath(name, Volumes);
    std::error_code error;
    if (target.error.empty()) fs::create_directories(volumeFolder(target.volume) / target.path, error);
    if (!target.error.empty() || error)
        record.note("FILE ERROR: " + what + ": " + (target.error.empty() ? error.message() : target.error));
    else
        record.note("PJL " + what + ": made");
}

void VirtualPrinter::noteVolumeChanges(const std::vector<std::vector<StoredFile>>& before, JobRecord& record) const {
    for (int v = 0; v < Volumes; ++v) {
        std::map<std::string, const StoredFile*> old;
        for (const StoredFile& f : before[v]) old[f.path] = &f;
        const std::vector<StoredFile> now = files(v);
        const std::string volume = "volume " + std::to_string(v) + ": ";
        for (const StoredFile& f : now) {
            auto found = old.find(f.path);
            const bool isNew = found == old.end();
            if (!isNew && found->second->sha256 == f.sha256) {
                old.erase(found);
                continue;
            }
            if (!isNew) old.erase(found);
            record.note(volume + (isNew ? "stored " : "replaced ") + f.path + "  " + std::to_string(f.size) +
                        " bytes  sha256 " + f.sha256 +
                        (f.size >= settings_.fileSizeLimit ? "  (cut at the file size limit)" : ""));
        }
        for (const auto& [path, file] : old) record.note(volume + "removed " + path);
    }
}

void VirtualPrinter::finish(JobRecord& record) {
    std::ostringstream text;
    for (const std::string& line : record.said) text << line << '\n';
    WriteWhole(fs::path(record.copy).replace_extension(".txt"), text.str());
    while (jobs_.size() > settings_.jobsListed) jobs_.pop_front();
    writeInventory();
}

std::string VirtualPrinter::inventory() const {
    std::ostringstream text;
    const std::string root = settings_.root.string();
    text << "Corvan 4400, virtual printer" << (settings_.address.empty() ? "" : " at " + settings_.address) << "\n"
         << "folder " << root << "\n";
    static const char* const volumeNames[] = {"flash", "disk"};
    for (int v = 0; v < Volumes; ++v) {
        text << "\nvolume " << v << " (" << volumeNames[v] << "; PJL " << v << ":, PostScript %disk" << v << "%) "
             << volumeFolder(v).string() << "\n";
        const std::vector<StoredFile> listed = files(v);
        for (const StoredFile& f : listed) text << "  " << f.path << "  " << f.size << " bytes  sha256 " << f.sha256 << "\n";
        if (listed.empty()) text << "  (empty)\n";
    }

    text << "\nmemory (until the printer restarts; the bytes are in " << (settings_.root / "memory").string() << ")\n";
    bool any = false;
    const std::pair<const char*, const std::map<int, PclResource>*> pclKinds[] = {
        {"font", &pcl_.fonts()}, {"macro", &pcl_.macros()}, {"symbol set", &pcl_.symbolSets()}};
    for (const auto& [kind, resources] : pclKinds)
        for (const auto& [id, resource] : *resources) {
            text << "  PCL " << kind << " " << id << (resource.permanent ? " permanent" : " temporary") << "  "
                 << Listing(resource.bytes) << "\n";
            any = true;
        }
    for (const auto& [name, font] : postScript_.fonts()) {
        text << "  PostScript font " << name << "  " << Listing(font.bytes) << "  (job " << font.job << ")\n";
        any = true;
    }
    if (!any) text << "  (empty)\n";

    text << "\nregistered profiles\n";
    for (const auto& [name, job] : postScript_.profiles()) text << "  " << name << "  (job " << job << ")\n";
    if (postScript_.profiles().empty()) text << "  (none)\n";

    text << "\nlast jobs (newest last; each job's bytes and record are kept in " << (settings_.root / "jobs").string()
         << ")\n";
    for (const JobRecord& job : jobs_) {
        text << "  job " << job.number << "  " << job.size << " bytes";
        if (!job.jobName.empty()) text << "  name " << Quoted(job.jobName);
        if (!job.userName.empty()) text << "  user " << Quoted(job.userName);
        text << "  copy " << job.copy << "\n";
        for (const std::string& line : job.said) text << "    " << line << "\n";
    }
    if (jobs_.empty()) text << "  (none)\n";
    return text.str();
}

void VirtualPrinter::writeInventory() const {
    const fs::path memory = settings_.root / "memory";
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(memory, ignored)) fs::remove(entry.path(), ignored);
    const std::pair<const char*, const std::map<int, PclResource>*> pclKinds[] = {
        {"pcl-font-", &pcl_.fonts()}, {"pcl-macro-", &pcl_.macros()}, {"pcl-symbol-set-", &pcl_.symbolSets()}};
    for (const auto& [prefix, resources] : pclKinds)
        for (const auto& [id, resource] : *resources) WriteWhole(memory / (prefix + std::to_string(id)), resource.bytes);
    for (const auto& [name, font] : postScript_.fonts()) WriteWhole(memory / ("ps-font-" + MemoryFileName(name)), font.bytes);

    const fs::path file = settings_.root / "inventory.txt";
    const fs::path fresh = settings_.root / "inventory.txt.new";
    WriteWhole(fresh, inventory());
    fs::rename(fresh, file, ignored);
}

}  // namespace presswick::virtualprinter
