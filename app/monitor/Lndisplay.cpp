#include "app/monitor/Lndisplay.h"

#include "app/common/Appsettings.h"
#include "link/Recording.h"

#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "app/monitor/Kindfilterdialog.h"
#include "app/monitor/Linkclock.h"
#include "app/monitor/Messagelistmodel.h"
#include "app/monitor/Messagelistview.h"
#include "link/Lnmessage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QList>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {
constexpr int kHelpTopic = 13;
constexpr int kLoadUpdateMs = 500;
constexpr const char* kShowBytesKey = "MessageDisplay/ShowBytes";
// 10,000 count refreshes a second: twelve times what a full LocoNet carries.
constexpr int kCountWindowMs = 100;
constexpr int kCountWidth = 90;  // [px] the count alone
constexpr int kCountUpdatesPerWindow = 1000;
constexpr double kBusyPercent = TBusLoadMeter::kBusyPercent;
constexpr double kOverloadedPercent = TBusLoadMeter::kOverloadedPercent;

// Columns of hex bytes line up only in a fixed-pitch font. A family name is
// no promise: fontconfig maps "Courier New" to whatever it likes (a URW
// font Qt does not take for fixed pitch, where ghostscript's fonts are
// installed). So the system's fixed font first, then the usual monospaced
// families, then any family the font database calls fixed pitch; each
// checked by what it resolves to.
QFont FixedPitchFont()
{
    QList<QFont> candidates{QFontDatabase::systemFont(QFontDatabase::FixedFont)};
    for (const char* family : {"Courier New", "DejaVu Sans Mono", "Liberation Mono", "Noto Mono", "Monospace"}) {
        QFont font{QString::fromLatin1(family)};
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
        candidates.append(font);
    }
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family))
            candidates.append(QFont(family));
    }
    for (const QFont& font : candidates) {
        if (QFontInfo(font).fixedPitch())
            return font;
    }
    return candidates.front();
}
}  // namespace

TDisplayForm::TDisplayForm(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("LocoNet Message display"));
    setObjectName(QStringLiteral("DisplayForm"));
    SetHelpContext(this, kHelpTopic);

    model_ = new TMessageListModel(this);
    MsgList = new TMessageListView(this);
    MsgList->setObjectName(QStringLiteral("MsgList"));
    MsgList->setModel(model_);
    MsgList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MsgList->setFont(FixedPitchFont());

    Button1 = new QPushButton(QStringLiteral("Clear Messages"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Label1 = new QLabel(QStringLiteral("no. Messages displayed:"), this);
    MsgCountEdit = new QLineEdit(QStringLiteral("0"), this);
    MsgCountEdit->setObjectName(QStringLiteral("MsgCountEdit"));
    MsgCountEdit->setMaximumWidth(kCountWidth);
    ExpandButton = new QCheckBox(QStringLiteral("Expand Messages"), this);
    ExpandButton->setObjectName(QStringLiteral("ExpandButton"));
    ExpandButton->setChecked(true);
    Button2 = new QPushButton(QStringLiteral("Save to File..."), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));

    TimesButton = new QCheckBox(QStringLiteral("Show Times"), this);
    TimesButton->setObjectName(QStringLiteral("TimesButton"));
    TimesButton->setToolTip(QStringLiteral("Time of arrival in front of each line (since the link was opened)"));
    FilterButton = new QPushButton(QStringLiteral("Filter..."), this);
    FilterButton->setObjectName(QStringLiteral("FilterButton"));
    FilterButton->setToolTip(QStringLiteral("Choose the message kinds shown"));
    PauseButton = new QPushButton(QStringLiteral("Pause"), this);
    PauseButton->setObjectName(QStringLiteral("PauseButton"));
    PauseButton->setCheckable(true);
    PauseButton->setToolTip(QStringLiteral("Hold the list still; messages are still received and kept"));
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    FindEdit->setPlaceholderText(QStringLiteral("Find (Enter, Shift+Enter, F3)"));
    FindEdit->setClearButtonEnabled(true);
    // The hint is the only place the keys are told: room for all of it and the clear button.
    FindEdit->setMinimumWidth(FindEdit->fontMetrics().horizontalAdvance(FindEdit->placeholderText()) + 48);
    FindEdit->installEventFilter(this);
    FindPrevButton = new QPushButton(QStringLiteral("Previous"), this);
    FindPrevButton->setObjectName(QStringLiteral("FindPrevButton"));
    FindNextButton = new QPushButton(QStringLiteral("Next"), this);
    FindNextButton->setObjectName(QStringLiteral("FindNextButton"));
    BusLoadLabel = new QLabel(this);
    BusLoadLabel->setObjectName(QStringLiteral("BusLoadLabel"));
    BusLoadLabel->setToolTip(QStringLiteral("Messages in the last second and the share of the bus's time they took"));

    DayTimeButton = new QCheckBox(QStringLiteral("Time of Day"), this);
    DayTimeButton->setObjectName(QStringLiteral("DayTimeButton"));
    DayTimeButton->setToolTip(QStringLiteral("Times as the time of day instead of since the recording began"));
    DayTimeButton->setVisible(false);
    BytesButton = new QCheckBox(QStringLiteral("Show Bytes"), this);
    BytesButton->setObjectName(QStringLiteral("BytesButton"));
    BytesButton->setToolTip(QStringLiteral("Each decoded line followed by its bytes"));
    {
        std::unique_ptr<QSettings> store = OpenSettingsStore();
        BytesButton->setChecked(store->value(kShowBytesKey, false).toBool());
        model_->SetShowBytes(BytesButton->isChecked());
    }

    auto* options = new QHBoxLayout;
    options->addWidget(TimesButton);
    options->addWidget(DayTimeButton);
    options->addWidget(FilterButton);
    options->addWidget(PauseButton);
    options->addWidget(FindEdit, 1);
    options->addWidget(FindPrevButton);
    options->addWidget(FindNextButton);
    options->addSpacing(12);
    options->addWidget(BusLoadLabel);

    auto* strip = new QHBoxLayout;
    strip->addWidget(Button1);
    strip->addWidget(Label1);
    strip->addWidget(MsgCountEdit);
    strip->addWidget(ExpandButton);
    strip->addWidget(BytesButton);
    strip->addStretch(1);
    strip->addWidget(Button2);
    strip->addWidget(BitBtn1);
    strip->addWidget(HelpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MsgList, 1);
    layout->addLayout(options);
    layout->addLayout(strip);
    // Wide enough for the option row with the whole Find hint in it.
    resize(std::max(760, minimumSizeHint().width()), 420);
    // Tab in the order the rows are seen: the list, the finding aids, then the buttons.
    const QList<QWidget*> order{MsgList,  TimesButton, DayTimeButton, FilterButton,  PauseButton, FindEdit, FindPrevButton,
                                FindNextButton, Button1, MsgCountEdit, ExpandButton, BytesButton, Button2, BitBtn1, HelpButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Button1, &QPushButton::clicked, this, &TDisplayForm::ClearButtonClick);
    connect(Button2, &QPushButton::clicked, this, &TDisplayForm::SaveButtonClick);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
    connect(HelpButton, &QPushButton::clicked, this, &TDisplayForm::HelpButtonClick);
    connect(TimesButton, &QCheckBox::toggled, model_, &TMessageListModel::SetShowTimes);
    connect(FilterButton, &QPushButton::clicked, this, &TDisplayForm::FilterButtonClick);
    connect(BytesButton, &QCheckBox::toggled, this, [this](bool on) {
        model_->SetShowBytes(on);
        OpenSettingsStore()->setValue(kShowBytesKey, on);
    });
    connect(PauseButton, &QPushButton::toggled, this, &TDisplayForm::PauseButtonClick);
    connect(FindNextButton, &QPushButton::clicked, this, &TDisplayForm::FindNext);
    connect(FindPrevButton, &QPushButton::clicked, this, &TDisplayForm::FindPrevious);
    connect(FindEdit, &QLineEdit::textChanged, this, [this] { FindEdit->setStyleSheet(QString()); });
    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
    next->setContext(Qt::WidgetWithChildrenShortcut);
    connect(next, &QShortcut::activated, this, &TDisplayForm::FindNext);
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    previous->setContext(Qt::WidgetWithChildrenShortcut);
    connect(previous, &QShortcut::activated, this, &TDisplayForm::FindPrevious);

    clock_ = LinkClockMs;
    loadTimer_ = new QTimer(this);
    loadTimer_->setInterval(kLoadUpdateMs);
    connect(loadTimer_, &QTimer::timeout, this, &TDisplayForm::UpdateBusLoad);
    loadTimer_->start();
    UpdateBusLoad();
    countTimer_ = new QTimer(this);
    countTimer_->setSingleShot(true);
    connect(countTimer_, &QTimer::timeout, this, &TDisplayForm::WriteCount);
}

void TDisplayForm::SetNumber(int number)
{
    number_ = number;
    const QString title = QStringLiteral("LocoNet Message display");
    setWindowTitle(number > 1 ? title + QLatin1Char(' ') + QString::number(number) : title);
}

void TDisplayForm::ListenTo(TWorkbench& workbench)
{
    workbench.Subscribe(this, AllKinds(), [this](const TLocoNetMessage& message) { ShowMessage(message); });
}

void TDisplayForm::ShowMessage(const TLocoNetMessage& message)
{
    ShowMessage(message, clock_());
}

void TDisplayForm::ShowMessage(const TLocoNetMessage& message, uint32_t timeMs)
{
    model_->AppendMessage(message, ExpandButton->isChecked(), timeMs);
    meter_.Add(timeMs, message.Length());
    ++displayedCount_;
    ShowCount();
    if (model_->Paused())
        ShowWaiting();
}

void TDisplayForm::ShowCount()
{
    if (!countWindow_.isValid() || countWindow_.elapsed() >= kCountWindowMs) {
        countWindow_.start();
        countUpdates_ = 0;
    }
    if (countUpdates_ < kCountUpdatesPerWindow && !countTimer_->isActive()) {
        ++countUpdates_;
        WriteCount();
        return;
    }
    if (!countTimer_->isActive())
        countTimer_->start(kCountWindowMs);
}

void TDisplayForm::WriteCount()
{
    // With a filter on, the count of messages alone would not match the lines seen.
    if (model_->HiddenKinds().any())
        MsgCountEdit->setText(QStringLiteral("%1 received, %2 shown").arg(displayedCount_).arg(model_->ShownLines()));
    else
        MsgCountEdit->setText(QString::number(displayedCount_));
}

void TDisplayForm::ClearButtonClick()
{
    model_->ClearLines();
    displayedCount_ = 0;
    countTimer_->stop();
    WriteCount();
    if (model_->Paused())
        ShowWaiting();
}

bool TDisplayForm::SaveToFile(const QString& path, QString& error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    const int lines = model_->LineCount();
    for (int line = 0; line < lines; ++line) {
        if (!model_->Shows(line))
            continue;
        const QByteArray text = model_->LineTextAsShown(line).toUtf8() + "\r\n";
        if (file.write(text) != text.size())
            break;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void TDisplayForm::SaveButtonClick()
{
    QFileDialog dialog(this, QStringLiteral("Save to File"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilter(QStringLiteral("Text files (*.txt)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    QString error;
    if (!SaveToFile(path, error))
        QMessageBox::warning(this, QStringLiteral("Save to File"),
                             QStringLiteral("Could not save %1: %2").arg(path, error));
}

void TDisplayForm::HelpButtonClick()
{
    ShowHelpTopic(kHelpTopic);
}

void TDisplayForm::SetHiddenKinds(const TKindSet& hidden)
{
    model_->SetHiddenKinds(hidden);
    // A filter left on must not be mistaken for a quiet bus.
    FilterButton->setText(hidden.any() ? QStringLiteral("Filter (on)...") : QStringLiteral("Filter..."));
    MsgCountEdit->setMinimumWidth(
        hidden.any() ? MsgCountEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000000 received, 0000000 shown")) + 12
                     : 0);
    MsgCountEdit->setMaximumWidth(hidden.any() ? QWIDGETSIZE_MAX : kCountWidth);
    WriteCount();
}

void TDisplayForm::FilterButtonClick()
{
    TKindFilterDialog dialog(model_->HiddenKinds(), this);
    if (dialog.exec() == QDialog::Accepted)
        SetHiddenKinds(dialog.HiddenKinds());
}

void TDisplayForm::PauseButtonClick(bool paused)
{
    if (PauseButton->isChecked() != paused)
        PauseButton->setChecked(paused);
    model_->SetPaused(paused);
    if (paused) {
        ShowWaiting();
        return;
    }
    PauseButton->setText(QStringLiteral("Pause"));
    MsgList->ScrollToBottom();
}

void TDisplayForm::ShowWaiting()
{
    PauseButton->setText(QStringLiteral("Resume (%1 new)").arg(model_->WaitingLines()));
}

bool TDisplayForm::FindNext()
{
    return Find(true);
}

bool TDisplayForm::FindPrevious()
{
    return Find(false);
}

bool TDisplayForm::Find(bool forward)
{
    const QString text = FindEdit->text();
    if (text.isEmpty())
        return false;
    model_->Flush();
    // From the selected line on, so each Find moves one match further.
    const int row = model_->FindRow(text, MsgList->CurrentRow(), forward);
    if (row < 0) {
        FindEdit->setStyleSheet(QStringLiteral("QLineEdit { background: #ffd6d6; }"));
        return false;
    }
    FindEdit->setStyleSheet(QString());
    MsgList->HoldAtRow(row);
    return true;
}

void TDisplayForm::ShowRecording(const TRecording& recording, const QString& name)
{
    recording_ = true;
    setWindowTitle(QStringLiteral("LocoNet Recording - ") + name);
    size_t next = 0;
    model_->AppendLines(
        [&](const uint8_t*& bytes, uint32_t& count, uint32_t& timeMs) {
            while (next < recording.Count()) {
                const TRecFrame frame = recording.At(next++);
                if (frame.direction != TRecDirection::Received)
                    continue;
                bytes = frame.bytes.data();
                count = static_cast<uint32_t>(frame.bytes.size());
                timeMs = static_cast<uint32_t>(std::min<int64_t>(frame.offsetUs / 1000, UINT32_MAX));
                return true;
            }
            return false;
        },
        ExpandButton->isChecked());
    displayedCount_ = static_cast<uint32_t>(model_->LineCount());
    WriteCount();
    TimesButton->setToolTip(QStringLiteral("Time of each line (since the recording began)"));
    TimesButton->setChecked(true);
    DayTimeButton->setVisible(true);
    // Room for the option row with the added check box and the whole Find hint.
    layout()->activate();
    resize(std::max(width(), minimumSizeHint().width()), height());
    connect(DayTimeButton, &QCheckBox::toggled, this, [this, startMs = recording.StartUs() / 1000](bool on) {
        model_->SetTimeOfDayBase(on ? startMs : -1);
    });
    BusLoadLabel->setToolTip(QStringLiteral("Messages in the second up to the selected line and the share of the "
                                            "bus's time they took"));
    UpdateBusLoad();
}

// The load of the second up to the selected line (the last without a
// selection), from the kept lines' times: as the bus was then.
static TBusLoad RecordedLoad(const TMessageListModel& model, int line)
{
    const TMessageStore& store = model.Store();
    if (line < 0 || static_cast<size_t>(line) >= store.Count())
        return {};
    const uint32_t end = store.TimeOf(static_cast<size_t>(line));
    // The window (end - 1 s, end], as the live meter counts it.
    const uint32_t from = end >= TBusLoadMeter::kWindowMs ? end - TBusLoadMeter::kWindowMs + 1 : 0;
    size_t low = 0;
    size_t high = static_cast<size_t>(line);
    while (low < high) {
        const size_t mid = (low + high) / 2;
        if (store.TimeOf(mid) < from)
            low = mid + 1;
        else
            high = mid;
    }
    TBusLoad load;
    double bytes = 0;
    for (size_t i = low; i <= static_cast<size_t>(line); ++i) {
        ++load.messagesPerSecond;
        bytes += store.LengthOf(i);
    }
    load.percent = TBusLoadMeter::WirePercent(bytes, TBusLoadMeter::kWindowMs);
    return load;
}

void TDisplayForm::UpdateBusLoad()
{
    if (recording_) {
        const int row = MsgList->CurrentRow();
        busLoad_ = RecordedLoad(*model_, row >= 0 ? model_->LineOfRow(row) : model_->LineCount() - 1);
    } else {
        busLoad_ = meter_.Measure(clock_());
    }
    BusLoadLabel->setText(QStringLiteral("Bus: %1 msg/s, %2% load")
                              .arg(busLoad_.messagesPerSecond)
                              .arg(busLoad_.percent, 0, 'f', 0));
    QString style;
    if (busLoad_.percent >= kOverloadedPercent)
        style = QStringLiteral("QLabel { color: white; background: #c62828; font-weight: bold; padding: 0 4px; }");
    else if (busLoad_.percent >= kBusyPercent)
        style = QStringLiteral("QLabel { color: black; background: #ffb300; padding: 0 4px; }");
    BusLoadLabel->setStyleSheet(style);
}

bool TDisplayForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FindEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Find(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TDisplayForm::closeEvent(QCloseEvent* event)
{
    emit Closed(this);
    QWidget::closeEvent(event);
}
