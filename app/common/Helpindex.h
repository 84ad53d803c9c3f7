// The help pages as the viewer's index: every topic with its title, and a
// search through the pages' text, so a modeller who does not know which
// window a word belongs to still finds its page.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class THelpIndex {
public:
    struct TEntry {
        int topic = 0;
        QString title;  // the page's <title>
        QString text;   // the page as plain text, in lower case
    };

    // The pages built into the program (":/help"), read once.
    static const THelpIndex& Pages();
    // Before the first look at ":/help".
    static void LinkPages();
    // The pages topicN.html in folder.
    explicit THelpIndex(const QString& folder);

    // Every page, by title (then by topic where two titles are alike).
    const QList<TEntry>& Entries() const { return entries_; }
    const TEntry* Find(int topic) const;

    // The query's words, lower case, without blanks and doubles.
    static QStringList Words(const QString& query);
    // The topics whose page holds every word of the query (anywhere in a
    // word: "sens" finds "sensor"), best first: a word in the title counts
    // for ten in the text, the words one after the other once more. Empty
    // for an empty query.
    QList<int> Search(const QString& query) const;

private:
    QList<TEntry> entries_;
};
