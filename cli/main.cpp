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

// The text in lines of at most 72 columns, each indented by two blanks.
QString Wrapped(const QString& text)
{
    QString out;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > 70) {
            out += QStringLiteral("  ") + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        out += QStringLiteral("  ") + line + QLatin1Char('\n');
    return out;
}

bool AsksForHelp(const QStringList& args)
{
    return args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h")) ||
           args.contains(QStringLiteral("-?"));
}

// A subcommand's help is its own text, then what its exit statuses mean.
int RunSubcommand(const TCliSubcommand& command, const QStringList& args)
{
    const int status = command.run(args);
    if (status == 0 && command.exitStatus != nullptr && AsksForHelp(args)) {
        QTextStream out(stdout);
        out << "\nExit status:\n" << Wrapped(QString::fromUtf8(command.exitStatus));
    }
    return status;
}

void PrintUsage(FILE* to)
{
    QTextStream out(to);
    out << "Usage: varnscope-cli SUBCOMMAND [OPTIONS] [ARGS]\n"
        << "       varnscope-cli SUBCOMMAND --help\n"
        << "       varnscope-cli help [SUBCOMMAND]\n\n"
        << "Subcommands:\n";
    auto table = CliSubcommands();
    std::sort(table.begin(), table.end(),
              [](const TCliSubcommand& a, const TCliSubcommand& b) { return qstrcmp(a.name, b.name) < 0; });
    // The summaries line up two blanks after the longest name.
    qsizetype width = 0;
    for (const TCliSubcommand& c : table)
        width = std::max(width, qsizetype(qstrlen(c.name)));
    for (const TCliSubcommand& c : table)
        out << "  " << QString::fromLatin1(c.name).leftJustified(width + 2) << c.summary << "\n";
    out << "\nOptions:\n  -h, --help     Displays help.\n  -v, --version  Displays version information.\n"
        << "\nExit status:\n"
        << Wrapped(QStringLiteral("0 after the help or the version; 2 without a subcommand or for an unknown one; "
                                  "otherwise the subcommand's own, as its help says."));
}

const TCliSubcommand* FindSubcommand(const QString& name)
{
    for (const TCliSubcommand& c : CliSubcommands()) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

int UnknownSubcommand(const QString& name)
{
    std::fprintf(stderr, "error: unknown subcommand '%s' (see varnscope-cli --help)\n", qPrintable(name));
    return 2;
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
    if (first == "help" && args.size() > 1) {
        // The same text as SUBCOMMAND --help.
        const TCliSubcommand* command = FindSubcommand(args.at(1));
        return command ? RunSubcommand(*command, {QStringLiteral("--help")}) : UnknownSubcommand(args.at(1));
    }
    if (first == "-h" || first == "--help" || first == "help") {
        PrintUsage(stdout);
        return 0;
    }
    if (first == "-v" || first == "--version") {
        std::printf("varnscope-cli %s\n", VARNSCOPE_VERSION);
        return 0;
    }
    if (const TCliSubcommand* command = FindSubcommand(first)) {
        args.removeFirst();
        return RunSubcommand(*command, args);
    }
    return UnknownSubcommand(first);
}
