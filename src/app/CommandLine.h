#pragma once

#include <string>
#include <vector>

// What the program's arguments ask for. Options come first, before Qt
// starts: --help and --version need no display. Qt then takes its own
// (-platform, -display, ...) out, and what is left must be shows: any other
// word beginning with "-" before a "--" is an unknown option.
struct CommandLine {
    enum class Action {
        Run,     // open `packages`, or an untitled workspace
        Help,    // helpText() on stdout, exit 0
        Version, // versionText() on stdout, exit 0
        Usage,   // usageText() on stderr, exit 2
    };

    Action action = Action::Run;
    std::vector<std::string> packages;
    // The option refused, for Usage.
    std::string unknownOption;

    // Before Qt: Help or Version when the arguments (past the program's
    // name) ask for either, else Run.
    static CommandLine early(const std::vector<std::string>& arguments);
    // After Qt has taken its own arguments out: Run with the shows, or
    // Usage for an option that is not one of ours.
    static CommandLine parse(const std::vector<std::string>& arguments);

    static std::string helpText();
    static std::string versionText(const char* version);
    // The refusal and the usage line.
    std::string usageText() const;
};
