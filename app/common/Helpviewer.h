// The context help viewer: one window for the whole program that shows the
// help page of a topic number from the pages built into the program.
#pragma once

#include <QUrl>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QPushButton;

class THelpViewerForm : public QWidget {
    Q_OBJECT
public:
    // The program's one viewer, made on first use.
    static THelpViewerForm* Instance();
    // Closes the viewer when it was ever made (the main window's exit).
    static void CloseIfOpen();

    // The page of a topic number; topics without a page of their own get a
    // page that says so and leads to the contents.
    static QUrl TopicUrl(int topic);
    static bool HasTopic(int topic);

    void ShowTopic(int topic);
    int CurrentTopic() const { return currentTopic_; }
    QTextBrowser* Browser() const { return browser_; }
    // Beside the page: every topic by title, or, while the search field holds
    // words, the pages that hold them all, best first. The page shown marks
    // the words it was found by.
    QLineEdit* SearchEdit() const { return searchEdit_; }
    QListWidget* TopicList() const { return topicList_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit THelpViewerForm(QWidget* parent = nullptr);
    void PlaceOver(const QWidget* home);
    // A modal window (an editor) blocks every window but its own: while one
    // is open the viewer is one of its windows, so that it stands in front
    // and can be used; once it closes the viewer is a window of its own again.
    void FollowModalWindow();
    void FillTopicList();
    void SelectCurrentTopic();
    void MarkSearchWords();

    QTextBrowser* browser_ = nullptr;
    QLineEdit* searchEdit_ = nullptr;
    QListWidget* topicList_ = nullptr;
    QPushButton* contentsButton_ = nullptr;
    QPushButton* backButton_ = nullptr;
    QPushButton* forwardButton_ = nullptr;
    int currentTopic_ = 0;
};
