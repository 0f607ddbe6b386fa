// zamrit-dice: the melody library of the dice game, driven from the command line.
#include <CLI/CLI.hpp>

#include "cli/CommandAction.h"
#include "cli/DumpCommand.h"
#include "cli/MidiCommand.h"
#include "cli/PlayCommand.h"
#include "cli/RenderCommand.h"
#include "cli/ScoreCommand.h"
#include "cli/ThrowCommand.h"
#include "platform/MessageSink.h"
#include "platform/StderrMessageSink.h"

int main(int argc, char** argv) {
    using namespace zamrit;

    CLI::App app{"zamrit-dice: throw the dice, look inside MFi melodies and play them", "zamrit-dice"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "zamrit-dice " ZAMRIT_VERSION);
    CommandAction action;
    RegisterThrowCommand(app, action);
    RegisterDumpCommand(app, action);
    RegisterMidiCommand(app, action);
    RegisterPlayCommand(app, action);
    RegisterRenderCommand(app, action);
    RegisterScoreCommand(app, action);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitClean : kExitUsage;
    }

    StderrMessageSink standardError;
    RecordingMessageSink reports(standardError);
    ScopedMessageSink installed(reports);
    const int status = action(reports);
    if (status != kExitClean) return status;
    return reports.Lines().empty() ? kExitClean : kExitReported;
}
