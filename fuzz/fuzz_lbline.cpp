// Lines of the LbServer protocol as a client or a server sends them: the
// server's answer to each line and the client's reading of it.
#include "Fuzzsupport.h"
#include "sim/Lbprotocol.h"

#include <QByteArrayList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& line : input.split('\n')) {
        QByteArray sent;
        const QByteArray answer = LbAnswer(line, [&](const QByteArray& bytes, QString&) {
            sent = bytes;
            return true;
        });
        // Every line gets exactly one answer line.
        FUZZ_CHECK(answer.startsWith("SENT OK\r\n") || answer.startsWith("SENT ERROR "));
        FUZZ_CHECK(answer.endsWith("\r\n") && answer.count('\n') == 1 && answer.count('\r') == 1);
        if (answer == "SENT OK\r\n") {
            // What went on the bus reads back the same from its RECEIVE line.
            FUZZ_CHECK(!sent.isEmpty());
            QByteArray rx;
            bool isReceive = false;
            FUZZ_CHECK(ParseLbReceiveLine(LbHexLine("RECEIVE", sent), rx, isReceive));
            FUZZ_CHECK(isReceive && rx == sent);
        }
        QByteArray rx;
        bool isReceive = false;
        const bool ok = ParseLbReceiveLine(line, rx, isReceive);
        FUZZ_CHECK(ok || isReceive);
        FUZZ_CHECK(isReceive || rx.isEmpty());
    }
    return 0;
}
