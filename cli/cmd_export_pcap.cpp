// varnscope-cli export-pcap: a recording's received messages as a pcap file
// for Wireshark and tshark.
#include "cli/Proghost.h"
#include "cli/Subcommand.h"
#include "link/Pcap.h"
#include "link/Recording.h"

#include <cstdio>

namespace {

constexpr int kExitNotWhole = 3;

int RunExportPcap(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes the messages received in a recording (monitor --record) as a pcap file, link type DLT_USER0 "
        "(147), one LocoNet message a packet at its time. Wireshark decodes it with the LocoNet dissector "
        "varnscope installs.");
    parser.addPositionalArgument("REC", "The recording (.lnrec).");
    parser.addPositionalArgument("OUT", "The pcap file to write (replaced).");
    int status = 0;
    if (!ParseSubcommand(parser, "export-pcap", "varnscope-cli export-pcap REC OUT", args, status))
        return status;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        PrintError("export-pcap needs a recording and a pcap file to write");
        return ProgExit::kUsage;
    }
    TRecording recording;
    recording.Load(files[0].toStdString());
    if (recording.Stop() == TRecStop::Unreadable || recording.Stop() == TRecStop::Foreign ||
        recording.Stop() == TRecStop::Newer) {
        PrintError(files[0] + ": " + QString::fromStdString(recording.StopText()));
        return ProgExit::kUsage;
    }
    std::string error;
    uint64_t packets = 0;
    if (!ExportRecordingToPcap(recording, files[1].toStdString(), error, &packets)) {
        PrintError(QString::fromStdString(error));
        return ProgExit::kPortError;
    }
    std::fprintf(stderr, "%llu messages written to %s\n", static_cast<unsigned long long>(packets), qPrintable(files[1]));
    if (!recording.Whole()) {
        PrintError(files[0] + ": " + QString::fromStdString(recording.StopText()) + "; exported up to there");
        return kExitNotWhole;
    }
    return ProgExit::kOk;
}

const VarnscopeSubcommand kExportPcap("export-pcap", "Write a recording's messages as a pcap file for Wireshark",
    RunExportPcap,
    "0 when the whole recording was exported; 2 for wrong arguments, or a recording that cannot be read, is no "
    "recording or is of a newer format; 3 when the recording is cut short or damaged (exported up to its last whole "
    "record); 4 when the pcap file cannot be written.");

}  // namespace
