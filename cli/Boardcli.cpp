#include "cli/Boardcli.h"

#include "boards/core/Boardfactory.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace boardcli {

void PrintError(const std::string& text)
{
    std::fprintf(stderr, "error: %s\n", text.c_str());
    std::fflush(stderr);
}

void PrintMessage(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

void PrintError(const QString& text)
{
    PrintError(ToLocal(text));
}

std::string ToLocal(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

std::optional<int> ParseArguments(QCommandLineParser& parser, const QString& subcommand, const QStringList& args,
                                  int minPositional, int maxPositional)
{
    const QCommandLineOption help = parser.addHelpOption();
    QStringList words = args;
    words.prepend(QStringLiteral("varnscope-cli ") + subcommand);
    if (!parser.parse(words)) {
        PrintError(subcommand + QStringLiteral(": ") + parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(help)) {
        // The parser names the program file; name the subcommand as it is typed.
        QString text = parser.helpText();
        const QString program = QCoreApplication::arguments().value(0);
        const qsizetype at = text.indexOf(program);
        if (!program.isEmpty() && at >= 0 && at < text.indexOf(QLatin1Char('\n')))
            text.replace(at, program.size(), QStringLiteral("varnscope-cli ") + subcommand);
        QTextStream(stdout) << text;
        return kExitOk;
    }
    const int count = static_cast<int>(parser.positionalArguments().size());
    if (count < minPositional || count > maxPositional) {
        PrintError(subcommand + QStringLiteral(": wrong number of arguments (see --help)"));
        return kExitUsage;
    }
    return std::nullopt;
}

std::optional<uint8_t> BoardTypeOption(const QCommandLineParser& parser, int& status)
{
    status = kExitUsage;
    const QString name = parser.value(QStringLiteral("type"));
    if (name.isEmpty()) {
        PrintError(std::string("the option --type is required"));
        return std::nullopt;
    }
    status = kExitError;
    const int type = BoardTypeFromName(ToLocal(name));
    if (type < 0) {
        PrintError(QStringLiteral("unknown board type '%1'").arg(name));
        return std::nullopt;
    }
    const std::string missing = BoardFactoryError(type);
    if (!missing.empty()) {
        PrintError(missing);
        return std::nullopt;
    }
    return static_cast<uint8_t>(type);
}

std::optional<int> IntegerOption(const QCommandLineParser& parser, const QString& name, int defaultValue)
{
    if (!parser.isSet(name))
        return defaultValue;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 0) {
        PrintError(QStringLiteral("--%1: '%2' is not a number of 0 or more").arg(name, parser.value(name)));
        return std::nullopt;
    }
    return value;
}

bool LoadBoards(TBoardData& data, uint8_t type, const QString& fileName)
{
    const bool loaded = data.LoadList(type, ToLocal(fileName));
    PrintLoadWarning(data);
    if (loaded)
        return true;
    PrintError(data.LastErrorText());
    return false;
}

void PrintLoadWarning(const TBoardData& data)
{
    if (!data.LastWarningText().empty())
        PrintMessage("warning: " + data.LastWarningText());
}

TConfigurableBoard* BoardOfFile(TBoardData& data, uint8_t type, int index, const QString& fileName)
{
    TConfigurableBoard* board = data.BoardAt(type, index);
    if (board == nullptr) {
        PrintError(QStringLiteral("%1: board index %2 is out of range (the file holds %3 %4 boards)")
                       .arg(fileName)
                       .arg(index)
                       .arg(data.BoardCount(type))
                       .arg(QString::fromStdString(TBoardData::ShortTypeName(type))));
    }
    return board;
}

TConfigurableBoard* ComputeBoardOfFile(const QCommandLineParser& parser, TBoardData& data, uint8_t type,
                                       bool& computed, int& status)
{
    computed = false;
    status = kExitUsage;
    const auto index = IntegerOption(parser, "index", 0);
    if (!index)
        return nullptr;
    const auto version = IntegerOption(parser, "sw-version", -1);
    if (!version)
        return nullptr;
    if (*version > 255) {
        PrintError(QStringLiteral("--sw-version: '%1' is above 255").arg(*version));
        return nullptr;
    }
    status = kExitError;
    const QString fileName = parser.positionalArguments().at(0);
    if (!LoadBoards(data, type, fileName))
        return nullptr;
    TConfigurableBoard* board = BoardOfFile(data, type, *index, fileName);
    if (!board)
        return nullptr;
    if (*version >= 0)
        board->SetSoftwareVersion(*version);
    computed = board->ComputeSvImage();
    status = kExitOk;
    return board;
}

void WriteOut(const std::string& bytes)
{
#ifdef _WIN32
    static const bool binary = [] {
        std::fflush(stdout);
        _setmode(_fileno(stdout), _O_BINARY);
        return true;
    }();
    (void)binary;
#endif
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

}  // namespace boardcli
