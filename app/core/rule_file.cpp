#include "core/rule_file.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "store/file_io.h"
#include "store/loader.h"
#include "store/stream.h"

#ifndef VELMOR_INSTALL_DATADIR
#define VELMOR_INSTALL_DATADIR ""
#endif
#ifndef VELMOR_DATADIR_FROM_BIN
#define VELMOR_DATADIR_FROM_BIN "../share"
#endif

using namespace tovimat;
namespace fs = std::filesystem;

namespace velmor {

namespace {

std::string& installedOverride() {
    static std::string path;
    return path;
}

std::string environmentDataDir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and is ignored, as the base
    // directory convention asks.
    if (xdg && *xdg && fs::path(xdg).is_absolute()) return (fs::path(xdg) / "velmor").string();
    const char* home = std::getenv("HOME");
    if (home && *home) return (fs::path(home) / ".local" / "share" / "velmor").string();
    return {};
}

// share/velmor/rules.vlm beside the installed program (so that a moved
// installation still finds its own), then under the prefix it was built for.
std::vector<std::string> installedRuleFiles() {
    if (!installedOverride().empty()) return {installedOverride()};
    std::vector<std::string> found;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        found.push_back((exe.parent_path() / VELMOR_DATADIR_FROM_BIN / "velmor" / kRuleFileName)
                            .lexically_normal()
                            .string());
    if (*VELMOR_INSTALL_DATADIR)
        found.push_back((fs::path(VELMOR_INSTALL_DATADIR) / "velmor" / kRuleFileName).string());
    return found;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec) return a == b;
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    if (ec) return a == b;
    return ca == cb;
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

// The user's copy of the installed default; false when it cannot be made
// (the installed file is then used as it is).
bool copyDefault(const std::string& from, const std::string& to) {
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(from, bytes, reason)) return false;
    std::error_code ec;
    fs::create_directories(fs::path(to).parent_path(), ec);
    if (ec) return false;
    return replaceFile(to, bytes.data(), bytes.size(), reason);
}

std::string versionText(const std::uint8_t* b) {
    const unsigned major = unsigned(b[2]) | unsigned(b[3]) << 8;
    const unsigned minor = unsigned(b[0]) | unsigned(b[1]) << 8;
    return std::to_string(major) + "." + std::to_string(minor);
}

}  // namespace

RuleFileSearch RuleFileSearch::forDocument(const std::string& documentPath) {
    return RuleFileSearch{documentPath, environmentDataDir(), installedRuleFiles()};
}

void setInstalledRuleFileForTesting(const std::string& path) { installedOverride() = path; }

std::vector<std::string> ruleFileCandidates(const RuleFileSearch& search) {
    std::vector<std::string> places{kRuleFileName};
    if (!search.documentPath.empty()) {
        const fs::path folder = fs::path(search.documentPath).parent_path();
        places.push_back((folder.empty() ? fs::path(kRuleFileName) : folder / kRuleFileName).string());
    }
    if (!search.userDataDir.empty())
        places.push_back((fs::path(search.userDataDir) / kRuleFileName).string());
    for (const std::string& d : search.installedDefaults) places.push_back(d);

    std::vector<std::string> distinct;
    for (const std::string& p : places) {
        bool seen = false;
        for (const std::string& q : distinct) seen = seen || sameFile(p, q);
        if (!seen) distinct.push_back(p);
    }
    return distinct;
}

std::string findRuleFile(const RuleFileSearch& search, std::string& error) {
    const std::vector<std::string> places = ruleFileCandidates(search);
    const std::string userCopy =
        search.userDataDir.empty() ? std::string() : (fs::path(search.userDataDir) / kRuleFileName).string();
    for (const std::string& p : places) {
        if (exists(p)) return p;
        if (p != userCopy) continue;
        // The user's copy is made from the first installed default there is.
        for (const std::string& d : search.installedDefaults)
            if (exists(d)) return copyDefault(d, userCopy) ? userCopy : d;
    }
    error = "no rule file: looked in ";
    for (size_t i = 0; i < places.size(); ++i) error += (i ? ", " : "") + places[i];
    return {};
}

std::unique_ptr<container> readRuleFile(const std::string& path, std::string& error) {
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(path, bytes, reason)) {
        error = path + ": cannot be read: " + reason;
        return nullptr;
    }
    const std::uint8_t magic[4] = {0x01, 0x67, 0x11, 0x11};
    if (bytes.size() < 8 || !std::equal(magic, magic + 4, bytes.begin())) {
        error = path + ": not a Velmor document";
        return nullptr;
    }
    memStor file(std::move(bytes));
    // The header is checked here so that the message can say what is wrong;
    // chkAlgFile would answer a bare "Unsupported format version".
    std::uint8_t header[8];
    file.read(header, 8);
    const std::uint32_t version = std::uint32_t(header[4]) | std::uint32_t(header[5]) << 8 |
                                  std::uint32_t(header[6]) << 16 | std::uint32_t(header[7]) << 24;
    if (version != algFileVersion) {
        error = path + ": version " + versionText(header + 4) + " is not supported";
        return nullptr;
    }
    std::unique_ptr<nucleo> loaded(algLoad(file));
    if (!loaded) {
        error = path + ": damaged, its records break off or cannot be read";
        return nullptr;
    }
    if (!loaded->isGroup()) {
        error = path + ": holds no rule set";
        return nullptr;
    }
    error.clear();
    return std::unique_ptr<container>(static_cast<container*>(loaded.release()));
}

std::unique_ptr<container> loadRuleFile(const RuleFileSearch& search, std::string& path, std::string& error) {
    path = findRuleFile(search, error);
    if (path.empty()) return nullptr;
    return readRuleFile(path, error);
}

}  // namespace velmor
