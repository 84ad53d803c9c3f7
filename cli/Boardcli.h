// Helpers shared by the board subcommands (new, list, image, listing, report,
// decode-image): option parsing, loading a list, choosing a board, output.
#pragma once

#include "boards/core/Boarddata.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace boardcli {

// Exit statuses of the board subcommands.
constexpr int kExitOk = 0;
constexpr int kExitCalculationFailed = 1;  // the SV image could not be computed
constexpr int kExitUsage = 2;              // bad options or arguments
constexpr int kExitError = 3;              // unknown type, unreadable file, bad index, broken file
// The same in words, as their help texts end.
inline constexpr const char* kBoardFileExitStatus =
    "0 on success; 1 when the SV calculation fails (the whole output is still printed, then the "
    "calculation error on standard error); 2 for wrong options or arguments; 3 for an unknown type, a "
    "missing or unreadable file, a board index out of range, a file whose loading stopped, a bad image "
    "line, or an output file that cannot be written.";

// Writes "error: <text>" as one line to standard error.
void PrintError(const std::string& text);
void PrintError(const QString& text);
// Writes the text as it stands as one line to standard error.
void PrintMessage(const std::string& text);

// Parses the words after the subcommand's name with the parser (which gets
// the help option here). Returns an exit status when the command is done
// (help shown: 0; bad options: 2), nothing when it should go on.
std::optional<int> ParseArguments(QCommandLineParser& parser, const QString& subcommand, const QStringList& args,
                                  int minPositional, int maxPositional);

// The option --type TYPE as a board type whose model is built in; otherwise
// prints the error and sets status (2 without the option, 3 for a type that
// is unknown or not available).
std::optional<uint8_t> BoardTypeOption(const QCommandLineParser& parser, int& status);

// A non-negative integer option; prints the error (status 2) when it is not.
std::optional<int> IntegerOption(const QCommandLineParser& parser, const QString& name, int defaultValue);

// Loads the file as a list of the type into data; prints the error otherwise.
bool LoadBoards(TBoardData& data, uint8_t type, const QString& fileName);
// The loaded file's warning, if any, on standard error.
void PrintLoadWarning(const TBoardData& data);

// Board index of the file's list; prints the error when out of range.
TConfigurableBoard* BoardOfFile(TBoardData& data, uint8_t type, int index, const QString& fileName);

// For image and listing: loads the file (first positional argument), takes
// board --index, applies --sw-version when given and computes the board's SV
// image. Returns the board, or nothing after printing the error (status in
// *status); computed tells whether the calculation succeeded.
TConfigurableBoard* ComputeBoardOfFile(const QCommandLineParser& parser, TBoardData& data, uint8_t type,
                                       bool& computed, int& status);

// Standard output as bytes (no line end translation).
void WriteOut(const std::string& bytes);

std::string ToLocal(const QString& text);

}  // namespace boardcli
