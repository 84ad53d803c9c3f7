#include "sim/Lbprotocol.h"

#include <QByteArrayList>
#include <QChar>

TLbLine SplitLbLine(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    qsizetype end = 0;
    while (end < text.size() && !QChar::isSpace(uchar(text[end])))
        ++end;
    return {text.left(end).toUpper(), text.mid(end).trimmed()};
}

std::optional<QByteArray> ParseLbHexBytes(const QByteArray& text, QString& reason)
{
    QByteArray bytes;
    for (const QByteArray& word : text.simplified().split(' ')) {
        if (word.isEmpty())
            continue;
        bool ok = false;
        const uint value = word.toUInt(&ok, 16);
        if (!ok || word.size() > 2 || value > 0xFF) {
            reason = QStringLiteral("not a hexadecimal byte: %1").arg(QString::fromLatin1(word.left(16)));
            return std::nullopt;
        }
        bytes.append(char(value));
    }
    if (bytes.isEmpty()) {
        reason = QStringLiteral("no bytes");
        return std::nullopt;
    }
    return bytes;
}

QByteArray LbHexLine(const char* verb, const QByteArray& bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    QByteArray line(verb);
    line.reserve(line.size() + 3 * bytes.size() + 2);
    for (char c : bytes) {
        line.append(' ');
        line.append(kDigits[uchar(c) >> 4]);
        line.append(kDigits[uchar(c) & 0xF]);
    }
    line.append("\r\n");
    return line;
}

QByteArray LbAnswer(const QByteArray& line, const TLbSend& send)
{
    const TLbLine parts = SplitLbLine(line);
    if (parts.verb != "SEND")
        return "SENT ERROR unknown command: " + parts.verb.left(16) + "\r\n";
    QString reason;
    const std::optional<QByteArray> bytes = ParseLbHexBytes(parts.argument, reason);
    if (!bytes || !send(*bytes, reason))
        return "SENT ERROR " + reason.toLatin1() + "\r\n";
    return "SENT OK\r\n";
}

bool ParseLbReceiveLine(const QByteArray& line, QByteArray& rx, bool& isReceive)
{
    const TLbLine parts = SplitLbLine(line);
    isReceive = parts.verb == "RECEIVE";
    if (!isReceive)
        return true;
    QString reason;
    const std::optional<QByteArray> bytes = ParseLbHexBytes(parts.argument, reason);
    // An empty RECEIVE carries nothing and is no error.
    if (!bytes)
        return parts.argument.trimmed().isEmpty();
    rx.append(*bytes);
    return true;
}
