// Finding and reading the rule file "rules.vlm" that Test Rule and Use
// constants work with.
//
// The file in use is the first that exists of
//   1. rules.vlm in the current directory,
//   2. rules.vlm in the folder of the document,
//   3. the user's copy, $XDG_DATA_HOME/velmor/rules.vlm (~/.local/share when
//      XDG_DATA_HOME is unset), made from the installed default the first
//      time it is needed,
//   4. the installed default, share/velmor/rules.vlm under the install prefix.
// A file that exists but cannot be used is reported; the search does not go
// on past it, so a damaged rule file never hides behind another one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/container.h"

namespace velmor {

constexpr const char* kRuleFileName = "rules.vlm";

struct RuleFileSearch {
    // The document the command works on; empty for an untitled one.
    std::string documentPath;
    // The folder of the user's copy; empty: none.
    std::string userDataDir;
    // The installed defaults, first found wins; empty: none.
    std::vector<std::string> installedDefaults;

    // The search of this process: the user's data folder from the
    // environment, the defaults from where the program is installed.
    static RuleFileSearch forDocument(const std::string& documentPath);
};

// The places looked at, in order, without the ones that name the same file
// as an earlier place.
std::vector<std::string> ruleFileCandidates(const RuleFileSearch& search);

// The rule file in use: its path, or empty with error saying where it looked
// ("no rule file: looked in rules.vlm, /home/ann/doc/rules.vlm, ...").
// Copies the installed default to the user's folder when that copy is
// missing; a copy that cannot be made leaves the installed file in use.
std::string findRuleFile(const RuleFileSearch& search, std::string& error);

// Reads the rule set in the file at path. Null with error naming the file and
// what is wrong with it: "rules.vlm: not a Velmor document", "rules.vlm:
// version 2.0 is not supported", "rules.vlm: damaged, its records break
// off", "rules.vlm: holds no rules"...
std::unique_ptr<tovimat::container> readRuleFile(const std::string& path, std::string& error);

// findRuleFile, then readRuleFile; path receives the file in use (empty when
// none was found).
std::unique_ptr<tovimat::container> loadRuleFile(const RuleFileSearch& search, std::string& path,
                                                 std::string& error);

// While set (not empty), replaces the installed defaults of forDocument, so
// that tests do not depend on what is installed on the machine.
void setInstalledRuleFileForTesting(const std::string& path);

}  // namespace velmor
