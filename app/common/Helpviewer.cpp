#include "app/common/Helpviewer.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

// The pages are built into the program's library: make sure the linker keeps them.
static void InitHelpResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(help);
        return true;
    }();
    (void)done;
}

namespace {

QString TopicResource(int topic)
{
    InitHelpResources();
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
    browser_->setOpenExternalLinks(false);
    contentsButton_ = new QPushButton(QStringLiteral("&Contents"), this);
    backButton_ = new QPushButton(QStringLiteral("&Back"), this);
    forwardButton_ = new QPushButton(QStringLiteral("&Forward"), this);
    backButton_->setEnabled(false);
    forwardButton_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton_);
    buttons->addWidget(backButton_);
    buttons->addWidget(forwardButton_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);
    resize(560, 480);

    connect(contentsButton_, &QPushButton::clicked, this, [this] { ShowTopic(1); });
    connect(backButton_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forwardButton_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, backButton_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forwardButton_, &QPushButton::setEnabled);
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
    const QSize size(std::min(640, inner.width()), std::min(560, inner.height() - kTitleBar));
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
