#include "cli/Subcommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

std::vector<TCliSubcommand>& CliSubcommands()
{
    static std::vector<TCliSubcommand> table;
    return table;
}

namespace {

void PrintUsage(FILE* to)
{
    QTextStream out(to);
    out << "Usage: varnscope-cli SUBCOMMAND [OPTIONS] [ARGS]\n"
        << "       varnscope-cli SUBCOMMAND --help\n\n"
        << "Subcommands:\n";
    auto table = CliSubcommands();
    std::sort(table.begin(), table.end(),
              [](const TCliSubcommand& a, const TCliSubcommand& b) { return qstrcmp(a.name, b.name) < 0; });
    for (const TCliSubcommand& c : table)
        out << "  " << QString::fromLatin1(c.name).leftJustified(14) << c.summary << "\n";
    out << "\nOptions:\n  -h, --help     Displays help.\n  -v, --version  Displays version information.\n";
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("varnscope-cli");
    QCoreApplication::setApplicationVersion(VARNSCOPE_VERSION);

    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        PrintUsage(stderr);
        return 2;
    }
    const QString first = args.first();
    if (first == "-h" || first == "--help" || first == "help") {
        PrintUsage(stdout);
        return 0;
    }
    if (first == "-v" || first == "--version") {
        std::printf("varnscope-cli %s\n", VARNSCOPE_VERSION);
        return 0;
    }
    for (const TCliSubcommand& c : CliSubcommands()) {
        if (first == QLatin1String(c.name)) {
            args.removeFirst();
            return c.run(args);
        }
    }
    std::fprintf(stderr, "error: unknown subcommand '%s' (see varnscope-cli --help)\n", qPrintable(first));
    return 2;
}
