#include "app/common/Helpindex.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>

#include <algorithm>

namespace {

int TopicOf(const QString& fileName)
{
    static const QRegularExpression name(QStringLiteral("^topic(\\d+)\\.html$"));
    const QRegularExpressionMatch match = name.match(fileName);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

}  // namespace

// The pages are built into the program's library: make sure the linker keeps them.
void THelpIndex::LinkPages()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(help);
        return true;
    }();
    (void)done;
}

const THelpIndex& THelpIndex::Pages()
{
    LinkPages();
    static const THelpIndex pages(QStringLiteral(":/help"));
    return pages;
}

THelpIndex::THelpIndex(const QString& folder)
{
    const QDir dir(folder);
    for (const QString& fileName : dir.entryList({QStringLiteral("topic*.html")}, QDir::Files)) {
        const int topic = TopicOf(fileName);
        QFile file(dir.filePath(fileName));
        if (topic == 0 || !file.open(QIODevice::ReadOnly))
            continue;
        QTextDocument page;
        page.setHtml(QString::fromUtf8(file.readAll()));
        TEntry entry;
        entry.topic = topic;
        entry.title = page.metaInformation(QTextDocument::DocumentTitle).simplified();
        if (entry.title.isEmpty())
            entry.title = QStringLiteral("Topic %1").arg(topic);
        entry.text = page.toPlainText().toLower();
        entries_.append(entry);
    }
    std::sort(entries_.begin(), entries_.end(), [](const TEntry& a, const TEntry& b) {
        const int order = a.title.compare(b.title, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.topic < b.topic;
    });
}

const THelpIndex::TEntry* THelpIndex::Find(int topic) const
{
    for (const TEntry& entry : entries_) {
        if (entry.topic == topic)
            return &entry;
    }
    return nullptr;
}

QStringList THelpIndex::Words(const QString& query)
{
    QStringList words = query.toLower().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    words.removeDuplicates();
    return words;
}

QList<int> THelpIndex::Search(const QString& query) const
{
    const QStringList words = Words(query);
    if (words.isEmpty())
        return {};
    struct THit {
        int score;
        const TEntry* entry;
    };
    QList<THit> hits;
    for (const TEntry& entry : entries_) {
        const QString title = entry.title.toLower();
        int score = 0;
        bool all = true;
        for (const QString& word : words) {
            const int inTitle = title.count(word);
            const int inText = entry.text.count(word);
            if (inTitle + inText == 0) {
                all = false;
                break;
            }
            score += 10 * inTitle + inText;
        }
        // The words as written, one after the other, count once more.
        if (all && words.size() > 1)
            score += entry.text.count(words.join(QLatin1Char(' ')));
        if (all)
            hits.append({score, &entry});
    }
    // Entries are in title order already: a stable sort keeps it among equals.
    std::stable_sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) { return a.score > b.score; });
    QList<int> topics;
    for (const THit& hit : hits)
        topics.append(hit.entry->topic);
    return topics;
}
