#include "app/common/Helpviewer.h"

#include "app/common/Helpindex.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString TopicResource(int topic)
{
    THelpIndex::LinkPages();
    return QStringLiteral(":/help/topic%1.html").arg(topic);
}

QString MissingTopicPage(int topic)
{
    return QStringLiteral("<html><body><h2>Help</h2><p>There is no help page for topic %1.</p>"
                          "<p><a href=\"qrc:/help/topic1.html\">Contents</a></p></body></html>")
        .arg(topic);
}

}  // namespace

namespace {
QPointer<THelpViewerForm>& TheViewer()
{
    static QPointer<THelpViewerForm> viewer;
    return viewer;
}
}  // namespace

void THelpViewerForm::CloseIfOpen()
{
    if (!TheViewer().isNull())
        TheViewer()->close();
}

THelpViewerForm* THelpViewerForm::Instance()
{
    QPointer<THelpViewerForm>& viewer = TheViewer();
    if (viewer.isNull()) {
        viewer = new THelpViewerForm();
        // Parentless, so it must go before the application does.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, viewer.data(), &QObject::deleteLater);
    }
    return viewer.data();
}

QUrl THelpViewerForm::TopicUrl(int topic)
{
    return QUrl(QStringLiteral("qrc") + TopicResource(topic));
}

bool THelpViewerForm::HasTopic(int topic)
{
    return QFile::exists(TopicResource(topic));
}

THelpViewerForm::THelpViewerForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("varnscope Help"));
    setObjectName(QStringLiteral("HelpViewerForm"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(false);
    contentsButton_ = new QPushButton(QStringLiteral("&Contents"), this);
    backButton_ = new QPushButton(QStringLiteral("&Back"), this);
    forwardButton_ = new QPushButton(QStringLiteral("&Forward"), this);
    backButton_->setEnabled(false);
    forwardButton_->setEnabled(false);
    searchEdit_ = new QLineEdit(this);
    searchEdit_->setObjectName(QStringLiteral("HelpSearchEdit"));
    searchEdit_->setPlaceholderText(QStringLiteral("Search help"));
    searchEdit_->setClearButtonEnabled(true);
    topicList_ = new QListWidget(this);
    topicList_->setObjectName(QStringLiteral("HelpTopicList"));
    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), this);
    searchLabel->setBuddy(searchEdit_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton_);
    buttons->addWidget(backButton_);
    buttons->addWidget(forwardButton_);
    buttons->addStretch(1);
    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(searchLabel);
    sideLayout->addWidget(searchEdit_);
    sideLayout->addWidget(topicList_, 1);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(side);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    // The index is read by its titles: room for the longest beside the
    // list's scroll bar, so that none is cut (each is in its tooltip too).
    const QFontMetrics metrics(topicList_->font());
    int widest = 0;
    for (const THelpIndex::TEntry& entry : THelpIndex::Pages().Entries())
        widest = std::max(widest, metrics.horizontalAdvance(entry.title));
    const int indexWidth = widest + topicList_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, topicList_) +
                           2 * topicList_->frameWidth() + 16;
    side->setMinimumWidth(std::max(240, indexWidth));
    splitter->setSizes({indexWidth, 600});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(840, 480);
    setTabOrder(searchEdit_, topicList_);
    setTabOrder(topicList_, browser_);

    connect(contentsButton_, &QPushButton::clicked, this, [this] { ShowTopic(1); });
    connect(backButton_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forwardButton_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, backButton_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forwardButton_, &QPushButton::setEnabled);
    connect(searchEdit_, &QLineEdit::textChanged, this, [this] { FillTopicList(); });
    // Enter in the search field opens the best page.
    connect(searchEdit_, &QLineEdit::returnPressed, this, [this] {
        if (topicList_->count() > 0)
            topicList_->setCurrentRow(0);
    });
    connect(topicList_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item != nullptr && item->data(Qt::UserRole).toInt() != currentTopic_)
            ShowTopic(item->data(Qt::UserRole).toInt());
    });
    // A page reached by a link, Back or Forward is the current topic too.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        static const QRegularExpression page(QStringLiteral("topic(\\d+)\\.html$"));
        const QRegularExpressionMatch match = page.match(url.path());
        if (match.hasMatch())
            currentTopic_ = match.captured(1).toInt();
        SelectCurrentTopic();
        MarkSearchWords();
    });
    FillTopicList();
}

void THelpViewerForm::FillTopicList()
{
    const THelpIndex& pages = THelpIndex::Pages();
    const QString query = searchEdit_->text();
    QList<int> topics;
    if (THelpIndex::Words(query).isEmpty()) {
        for (const THelpIndex::TEntry& entry : pages.Entries())
            topics.append(entry.topic);
    } else {
        topics = pages.Search(query);
    }
    const QSignalBlocker quiet(topicList_);
    topicList_->clear();
    for (int topic : topics) {
        auto* item = new QListWidgetItem(pages.Find(topic)->title, topicList_);
        item->setData(Qt::UserRole, topic);
        item->setToolTip(item->text());
    }
    if (topics.isEmpty() && !query.trimmed().isEmpty()) {
        auto* none = new QListWidgetItem(QStringLiteral("No page holds every word"), topicList_);
        none->setFlags(Qt::NoItemFlags);
    }
    SelectCurrentTopic();
    MarkSearchWords();
}

void THelpViewerForm::SelectCurrentTopic()
{
    const QSignalBlocker quiet(topicList_);
    topicList_->setCurrentItem(nullptr);
    for (int row = 0; row < topicList_->count(); ++row) {
        if (topicList_->item(row)->data(Qt::UserRole).toInt() == currentTopic_ && currentTopic_ != 0) {
            topicList_->setCurrentRow(row);
            break;
        }
    }
}

void THelpViewerForm::MarkSearchWords()
{
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat marked;
    marked.setBackground(QColor(0xff, 0xe0, 0x60));
    for (const QString& word : THelpIndex::Words(searchEdit_->text())) {
        QTextCursor at(browser_->document());
        while (!(at = browser_->document()->find(word, at)).isNull())
            marks.append({at, marked});
    }
    browser_->setExtraSelections(marks);
    if (!marks.isEmpty()) {
        // The first mark in the page, not the first word's.
        auto first = std::min_element(marks.cbegin(), marks.cend(), [](const auto& a, const auto& b) {
            return a.cursor.position() < b.cursor.position();
        });
        QTextCursor view(first->cursor);
        view.clearSelection();
        browser_->setTextCursor(view);
        // A quarter down the view, with what leads up to it above.
        QScrollBar* bar = browser_->verticalScrollBar();
        bar->setValue(bar->value() + browser_->cursorRect(view).top() - browser_->viewport()->height() / 4);
    }
}

void THelpViewerForm::PlaceOver(const QWidget* home)
{
    // Inside the program's window, and wholly on its screen, whatever the
    // screen's height: the window manager's own choice may put the lower
    // edge out of reach.
    QRect area = home->frameGeometry();
    if (const QScreen* screen = home->screen())
        area = area.intersected(screen->availableGeometry());
    if (area.width() < 200 || area.height() < 200)
        return;
    constexpr int kTitleBar = 32;  // [px] the frame may add above the window
    const QRect inner = area.marginsRemoved(QMargins(24, 24, 24, 24));
    const QSize size(std::min(880, inner.width()), std::min(560, inner.height() - kTitleBar));
    QRect framed(QPoint(0, 0), QSize(size.width(), size.height() + kTitleBar));
    framed.moveCenter(inner.center());
    resize(size);
    move(framed.topLeft());
}

void THelpViewerForm::ShowTopic(int topic)
{
    currentTopic_ = topic;
    if (HasTopic(topic))
        browser_->setSource(TopicUrl(topic));
    else
        browser_->setHtml(MissingTopicPage(topic));
    SelectCurrentTopic();
    if (!isVisible()) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMainWindow*>(window) != nullptr && window->isVisible()) {
                PlaceOver(window);
                break;
            }
        }
    }
    FollowModalWindow();
    show();
    raise();
    activateWindow();
}

void THelpViewerForm::FollowModalWindow()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == this || (modal != nullptr && isAncestorOf(modal)))
        modal = nullptr;
    if (parentWidget() == modal)
        return;
    const bool shown = isVisible();
    const QPoint at = pos();
    if (parentWidget() != nullptr)
        parentWidget()->removeEventFilter(this);
    // A window of the modal window's, not a child inside it.
    setParent(modal, Qt::Window);
    if (modal != nullptr)
        modal->installEventFilter(this);
    move(at);
    if (shown)
        show();
}

bool THelpViewerForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && (event->type() == QEvent::Hide || event->type() == QEvent::Close)) {
        // The editor is closing and takes its windows with it: the viewer
        // leaves it first, and goes with the modal window under it, if any,
        // once that one is the active one again.
        watched->removeEventFilter(this);
        const bool shown = isVisible();
        const QPoint at = pos();
        setParent(nullptr, Qt::Window);
        move(at);
        if (shown) {
            show();
            QTimer::singleShot(0, this, [this] { FollowModalWindow(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}
