#include "script/CommandTable.h"

#include "core/Tokenizer.h"

namespace {

struct Command {
    String name;
    CommandHandler handler;
};

std::vector<Command> commands;
CommandReportReceiver reportReceiver = nullptr;

} // namespace

void RegisterCommand(const char* name, CommandHandler handler) {
    if (!name || !*name || !handler) {
        return;
    }
    commands.push_back(Command{String(name), std::move(handler)});
}

bool ExecuteCommandLine(const char* line) {
    if (!line) {
        line = "";
    }
    // The appended comma ends the last token.
    Tokenizer tokenizer((String(line) + ",").CStr(), " ,");
    String name;
    bool result = false;
    if (tokenizer.NextToken(name)) {
        CommandArguments arguments;
        String argument;
        while (tokenizer.NextToken(argument)) {
            arguments.push_back(argument);
        }
        // By index: a handler may register further commands.
        for (size_t i = 0; i < commands.size(); ++i) {
            if (commands[i].name == name) {
                const CommandHandler handler = commands[i].handler;
                result = handler(arguments);
            }
        }
    }
    if (reportReceiver) {
        const String report = String(line) + (result ? kCommandSucceeded : kCommandFailed);
        reportReceiver(report.CStr());
    }
    return result;
}

std::vector<String> CommandNames() {
    std::vector<String> names;
    names.reserve(commands.size());
    for (const Command& command : commands) {
        names.push_back(command.name);
    }
    return names;
}

void ClearCommands() {
    commands.clear();
}

void SetCommandReportReceiver(CommandReportReceiver receiver) {
    reportReceiver = receiver;
}
