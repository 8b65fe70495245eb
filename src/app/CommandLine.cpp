#include "app/CommandLine.h"

namespace {

constexpr const char* kUsage = "Usage: pondra [--help] [--version] [SHOW.pondra]...";

bool isHelp(const std::string& argument) {
    return argument == "--help" || argument == "-h";
}

bool isOption(const std::string& argument) {
    return argument.size() > 1 && argument.front() == '-';
}

} // namespace

CommandLine CommandLine::early(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (isHelp(argument)) {
            line.action = Action::Help;
            return line;
        }
        if (argument == "--version") {
            line.action = Action::Version;
            return line;
        }
    }
    return line;
}

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line = early(arguments);
    if (line.action != Action::Run) {
        return line;
    }
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && isOption(argument)) {
            line.action = Action::Usage;
            line.unknownOption = argument;
            line.packages.clear();
            return line;
        } else if (!argument.empty()) {
            line.packages.push_back(argument);
        }
    }
    return line;
}

std::string CommandLine::helpText() {
    return std::string(kUsage) +
           "\n"
           "Fires recorded sound from a grid of cue buttons to run the sound of a show.\n"
           "\n"
           "Each SHOW opens in a window of its own: a show folder (Name.pondra) or the\n"
           "\"document\" inside it. With none, an untitled show opens.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "  --             what follows are shows, even when they begin with \"-\"\n"
           "\n"
           "Qt's own options, such as -platform and -display, are taken too.\n"
           "PONDRA_BUFFER_FRAMES sets the period of ALSA devices, in frames (16 to 8192).\n";
}

std::string CommandLine::versionText(const char* version) {
    return std::string("Pondra ") + version + "\n";
}

std::string CommandLine::usageText() const {
    return "pondra: unknown option '" + unknownOption + "'\n" + kUsage + "\n";
}
