// varnscope-cli decode: the monitor's text for typed LocoNet messages, from
// the command line or one message per line of standard input.
#include "cli/Subcommand.h"

#include "link/Lndispatch.h"
#include "link/Lnmessage.h"

#include <QCommandLineParser>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitError = 2;

// The display line for one typed message, or false with the parse's reason.
bool DecodeLine(const std::string& text, bool raw, std::string& line, std::string& reason)
{
    std::string bytes;
    if (!TLocoNetMessage::ParseHexText(text, bytes, reason)) return false;
    if (bytes.empty()) {
        reason = "empty message";
        return false;
    }
    const TLocoNetMessage typed(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
    line = raw ? typed.RawText() : MakeDecoderMessage(typed)->ToText();
    return true;
}

int DecodeStandardInput(bool raw)
{
    std::ios::sync_with_stdio(false);
    int status = kExitOk;
    std::string text, line, reason;
    for (unsigned long number = 1; std::getline(std::cin, text); ++number) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (DecodeLine(text, raw, line, reason)) {
            std::cout << line << '\n';
        } else {
            std::cout << "error\n";
            std::cerr << "error: line " << number << ": " << reason << '\n';
            status = kExitError;
        }
        // Keep an interactive session answered line by line; piped input is batched.
        if (std::cin.rdbuf()->in_avail() <= 0) std::cout.flush();
    }
    std::cout.flush();
    return status;
}

int RunDecode(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Decodes LocoNet messages typed in hexadecimal, checksum included, as the message display shows them.\n"
        "Without HEX arguments, reads one message per line from standard input.");
    parser.addHelpOption();
    const QCommandLineOption rawOption("raw", "Print the kind name and the bytes instead of the decoded text.");
    parser.addOption(rawOption);
    parser.addPositionalArgument("HEX", "The message's bytes, e.g. B2 00 50 1D.", "[HEX ...]");

    if (!parser.parse(QStringList{"varnscope-cli decode"} + args)) {
        std::fprintf(stderr, "error: %s\n", qPrintable(parser.errorText()));
        return kExitError;
    }
    if (parser.isSet("help")) {
        QString help = parser.helpText();
        help.replace(0, help.indexOf('\n'), "Usage: varnscope-cli decode [--raw] [HEX ...]");
        std::fputs(help.toUtf8().constData(), stdout);
        return kExitOk;
    }
    const bool raw = parser.isSet(rawOption);
    const QStringList words = parser.positionalArguments();
    if (words.isEmpty()) return DecodeStandardInput(raw);

    std::string line, reason;
    if (!DecodeLine(words.join(' ').toStdString(), raw, line, reason)) {
        std::fprintf(stderr, "error: %s\n", reason.c_str());
        return kExitError;
    }
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    return kExitOk;
}

const VarnscopeSubcommand kDecode("decode", "Decode typed LocoNet messages as the message display does", RunDecode,
    "0 when every message was read; 2 when at least one text was rejected or the options "
    "are wrong.");

}  // namespace
