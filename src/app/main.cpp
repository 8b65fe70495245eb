#include "app/CommandLine.h"
#include "app/Pondra.h"
#include "app/PondraSession.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/FileDescriptorLimit.h"
#include "platform/crash/CrashWriter.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Help, version or usage: what the line asks for instead of a run.
int answer(const CommandLine& line) {
    if (line.action == CommandLine::Action::Help) {
        std::fputs(CommandLine::helpText().c_str(), stdout);
        return 0;
    }
    if (line.action == CommandLine::Action::Version) {
        std::fputs(CommandLine::versionText(Pondra::versionString()).c_str(), stdout);
        return 0;
    }
    std::fputs(line.usageText().c_str(), stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // The model and every main-loop timer run on this thread.
    setCurrentThreadRole(ThreadRole::Main);
    // Answered before Qt starts, so they need no display.
    const CommandLine early = CommandLine::early(std::vector<std::string>(argv + 1, argv + argc));
    if (early.action != CommandLine::Action::Run) {
        return answer(early);
    }
    // Before anything else can crash; the next launch offers what it writes.
    CrashWriter::install("Pondra", CrashWriter::reportsFolder("Pondra"));
    raiseFileDescriptorLimit();
    Pondra application(argc, argv);
    // Qt has taken its own arguments out: what is left names shows.
    std::vector<std::string> rest;
    for (const QString& argument : application.arguments().mid(1)) {
        rest.push_back(argument.toStdString());
    }
    const CommandLine line = CommandLine::parse(rest);
    if (line.action != CommandLine::Action::Run) {
        return answer(line);
    }
    PondraSession session(application);
    QStringList packages;
    for (const std::string& package : line.packages) {
        packages << QString::fromStdString(package);
    }
    session.launch(packages);
    return application.exec();
}
