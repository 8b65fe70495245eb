// The program's arguments: help and version answered before Qt starts,
// unknown options refused, only paths opened as shows; and the program
// itself answering them.
#include "app/CommandLine.h"

#include "platform/audiofile/AudioFixtures.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

using Action = CommandLine::Action;
using Words = std::vector<std::string>;

struct ProgramRun {
    int code = -1;
    QString out;
    QString err;
};

// The built program, in a home of its own, headless.
ProgramRun runProgram(const QStringList& arguments) {
    AudioFixtures::TempFolder home;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.path("")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       QString::fromStdString(home.path("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(home.path("data")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PONDRA_PROGRAM), arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << "still running: it opened a window";
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(CommandLine, HelpAndVersionAreAnsweredWhereverTheyStandBeforeADoubleDash) {
    EXPECT_EQ(CommandLine::early({}).action, Action::Run);
    EXPECT_EQ(CommandLine::early({"--help"}).action, Action::Help);
    EXPECT_EQ(CommandLine::early({"-h"}).action, Action::Help);
    EXPECT_EQ(CommandLine::early({"Show.pondra", "--version"}).action, Action::Version);
    EXPECT_EQ(CommandLine::early({"-platform", "offscreen", "--help"}).action, Action::Help)
        << "Qt's options are not ours to refuse before Qt has seen them";
    EXPECT_EQ(CommandLine::early({"--", "--help"}).action, Action::Run) << "a show named so";
    EXPECT_EQ(CommandLine::parse({"--version"}).action, Action::Version);
}

TEST(CommandLine, OnlyPathsOpenAsShowsAndAnyOtherOptionIsRefused) {
    const CommandLine shows = CommandLine::parse({"A.pondra", "B.pondra/document"});
    EXPECT_EQ(shows.action, Action::Run);
    EXPECT_EQ(shows.packages, (Words{"A.pondra", "B.pondra/document"}));

    const CommandLine bogus = CommandLine::parse({"A.pondra", "--bogus"});
    EXPECT_EQ(bogus.action, Action::Usage);
    EXPECT_TRUE(bogus.packages.empty()) << "nothing opens on a refused line";
    EXPECT_EQ(bogus.usageText(), "pondra: unknown option '--bogus'\n"
                                 "Usage: pondra [--help] [--version] [SHOW.pondra]...\n");
    EXPECT_EQ(CommandLine::parse({"-x"}).action, Action::Usage);

    const CommandLine dashed = CommandLine::parse({"--", "-odd.pondra", "--"});
    EXPECT_EQ(dashed.action, Action::Run);
    EXPECT_EQ(dashed.packages, (Words{"-odd.pondra", "--"}));
    EXPECT_EQ(CommandLine::parse({"-"}).packages, Words{"-"}) << "a path, not an option";
    EXPECT_TRUE(CommandLine::parse({""}).packages.empty());
}

TEST(CommandLine, TheProgramPrintsHelpAndVersionToStdoutAndExitsWithoutAWindow) {
    const ProgramRun help = runProgram({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.toStdString(), CommandLine::helpText());
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();

    const ProgramRun version = runProgram({QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("Pondra "))) << version.out.toStdString();
    EXPECT_TRUE(version.out.endsWith(QStringLiteral("\n")));
}

TEST(CommandLine, TheProgramRefusesAnUnknownOptionOnStderrWithExitTwo) {
    const ProgramRun refused = runProgram({QStringLiteral("--bogus")});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("pondra: unknown option '--bogus'\n"
                                                    "Usage: pondra [--help]")))
        << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains(QStringLiteral("could not be opened")));

    // Qt's own options are taken out before ours are looked at.
    const ProgramRun qtOption = runProgram(
        {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--nonsense")});
    EXPECT_EQ(qtOption.code, 2);
    EXPECT_TRUE(qtOption.err.contains(QStringLiteral("'--nonsense'")));
    EXPECT_FALSE(qtOption.err.contains(QStringLiteral("'-platform'")));
}
