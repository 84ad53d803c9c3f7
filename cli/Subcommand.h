// The command line's subcommands. Each lives in its own file and registers
// itself with a static VarnscopeSubcommand object; main() looks them up by name.
#pragma once

#include <QStringList>

#include <functional>
#include <vector>

struct TCliSubcommand {
    const char* name;
    const char* summary;
    // args: the words after the subcommand's name. Returns the exit status.
    std::function<int(const QStringList& args)> run;
    // What each exit status means, as its help ends with it (and so the
    // manual page, which is made of the help texts): "0 ...; 1 ...".
    const char* exitStatus;
};

std::vector<TCliSubcommand>& CliSubcommands();

struct VarnscopeSubcommand {
    VarnscopeSubcommand(const char* name, const char* summary, std::function<int(const QStringList&)> run,
                        const char* exitStatus = nullptr)
    {
        CliSubcommands().push_back({name, summary, std::move(run), exitStatus});
    }
};
