// velmor-cli: the headless Velmor.
//
//   velmor-cli run [--open FILE] [--geometry] [--steps] [--save FILE] (SCRIPT | -f SCRIPTFILE)
//       plays a script on a new (or the opened) document, then prints the
//       event log and the tree
//   velmor-cli dump [--geometry] [--steps] FILE
//       the event log and the tree of a document; with --steps each step's
//       line ends with what made it
//   velmor-cli rules check [RULES.vlm]
//       diagnostics of a rule file: exit status 1 when it finds anything
//   velmor-cli rules explain FILE.vlm
//       which rules match where in each line of a document, changing nothing
//   velmor-cli calc TEXT
//       reads TEXT as a formula written on one line, places it as a new item,
//       calculates until nothing changes and prints the lines
//   velmor-cli export FILE --format latex|mathml|text
//       the document in that format on standard output
//   velmor-cli import --format latex|text TEXT OUT
//       a new document holding the formula read from TEXT, saved to OUT
//
// The script language is described in core/script.h and in the README.
// Exit status 2 with one line on standard error for a malformed script or a
// file that cannot be read or written.
#include <cstdio>
#include <string>
#include <vector>

#include "core/interchange.h"
#include "core/script.h"
#include "rules_command.h"

namespace {

int usage() {
    std::fputs(
        "usage: velmor-cli run [--open FILE] [--geometry] [--steps] [--save FILE] (SCRIPT | -f SCRIPTFILE)\n"
        "       velmor-cli dump [--geometry] [--steps] FILE\n"
        "       velmor-cli calc TEXT\n"
        "       velmor-cli rules check [RULES.vlm]\n"
        "       velmor-cli rules explain FILE.vlm\n"

        "       velmor-cli export FILE --format latex|mathml|text\n"
        "       velmor-cli import --format latex|text TEXT OUT\n",
        stderr);
    return 2;
}

int finish(const velmor::RunResult& r) {
    std::fwrite(r.out.data(), 1, r.out.size(), stdout);
    if (!r.error.empty()) {
        std::string line = r.exitCode != 0 ? "velmor-cli: " + r.error + "\n" : r.error;
        std::fputs(line.c_str(), stderr);
    }
    return r.exitCode;
}

int runCommand(const std::vector<std::string>& args) {
    velmor::RunOptions options;
    bool haveScript = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--geometry") {
            options.geometry = true;
        } else if (a == "--steps") {
            options.steps = true;
        } else if (a == "--open" && hasValue) {
            options.openPath = args[++i];
        } else if (a == "--save" && hasValue) {
            options.savePath = args[++i];
        } else if (a == "-f" && hasValue && !haveScript) {
            const std::string& path = args[++i];
            if (!velmor::readScriptFile(path, options.script)) {
                std::fprintf(stderr, "velmor-cli: cannot read %s\n", path.c_str());
                return 2;
            }
            haveScript = true;
        } else if (!haveScript && !(a.starts_with("--") || a == "-f")) {
            options.script = a;
            haveScript = true;
        } else {
            return usage();
        }
    }
    if (!haveScript) return usage();
    return finish(velmor::runScript(options));
}

int dumpCommand(const std::vector<std::string>& args) {
    bool geometry = false, steps = false;
    std::string path;
    for (const std::string& a : args) {
        if (a == "--geometry")
            geometry = true;
        else if (a == "--steps")
            steps = true;
        else if (path.empty() && !a.starts_with("--"))
            path = a;
        else
            return usage();
    }
    if (path.empty()) return usage();
    return finish(velmor::dumpFile(path, geometry, steps));
}

int calcCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) return usage();
    return finish(velmor::calculateText(args[0]));
}

// --format NAME anywhere among the arguments; the rest stay in order.
bool takeFormat(std::vector<std::string>& args, velmor::TextFormat& format) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--format") {
            const bool known = velmor::parseTextFormat(args[i + 1], format);
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
            return known;
        }
    return false;
}

int exportCommand(std::vector<std::string> args) {
    velmor::TextFormat format;
    if (!takeFormat(args, format) || args.size() != 1) return usage();
    return finish(velmor::exportDocumentAs(args[0], format));
}

int importCommand(std::vector<std::string> args) {
    velmor::TextFormat format;
    if (!takeFormat(args, format) || format == velmor::TextFormat::mathml || args.size() != 2) return usage();
    return finish(velmor::importFormula(format, args[0], args[1]));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "run") return runCommand(args);
    if (command == "dump") return dumpCommand(args);
    if (command == "calc") return calcCommand(args);
    if (command == "rules") return velmor::cli::rulesCommand(args);
    if (command == "export") return exportCommand(args);
    if (command == "import") return importCommand(args);
    return usage();
}
