#include "app/monitor/Kindfilterdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <initializer_list>

namespace {

TKindSet Kinds(std::initializer_list<int> kinds)
{
    TKindSet set;
    for (int kind : kinds)
        set.set(static_cast<size_t>(kind));
    return set;
}

// Each kind under a heading, by a name a modeller reads, with the opcode
// name the message lines start with beside it.
struct TKindRow {
    int kind;
    const char* plainName;
};
struct TKindGroup {
    const char* title;
    int column;
    std::initializer_list<TKindRow> rows;
};

const std::initializer_list<TKindGroup> kKindGroups = {
    {"Power and system",
     0,
     {{eOPCGPON, "Track power on"},
      {eOPCGPOFF, "Track power off"},
      {eOPCIDLE, "Emergency stop (idle)"},
      {eOPCBUSY, "Master busy"},
      {eOPCMASTERLIM, "Master limit"},
      {eOPCMASTERNORM, "Master normal"},
      {eOPCFIND, "Find requests"},
      {0, "Unknown or damaged"}}},
    {"Switches",
     0,
     {{eOPCSWREQ, "Switch requests"},
      {eOPCSWACK, "Switch requests with reply"},
      {eOPCSWSTATE, "Switch state requests"},
      {eOPCOPSTATE, "Switch output reports"},
      {eOPCTOFB, "Switch feedback reports"},
      {eOPCLONGACK, "Long acknowledges"}}},
    {"Sensors", 0, {{eOPCSENS, "Sensor reports"}, {eOPCMULTISENSE, "Transponding and power reports"}}},
    {"Locomotives and slots",
     1,
     {{eOPCLOCOADR, "Loco address requests"},
      {eOPCLOCOSPD, "Loco speed"},
      {eOPCLOCODIRF, "Loco direction, functions 0-4"},
      {eOPCLOCOSND, "Loco sound functions"},
      {eOPCLOCOF9F12, "Loco functions 9-12"},
      {eOPCRQSLDATA, "Slot data requests"},
      {eOPCSLRDDATA, "Slot data reads"},
      {eOPCWRSLDATA, "Slot data writes"},
      {eOPCSLOTSTAT1, "Slot status"},
      {eOPCMOVESLOTS, "Move slots"},
      {eOPCLINKSLOTS, "Link slots"},
      {eOPCUNLINKSLOTS, "Unlink slots"},
      {eOPCCONSISTFUNC, "Consist functions"},
      {eOPCSPDLIMSLOT, "Slot speed limits"},
      {eOPCTHROTSTAT, "Throttle status"}}},
    {"Programming and transfers",
     2,
     {{eOPCSVACCESS1, "SV programming, type 1"},
      {eOPCSVACCESS2, "SV programming, type 2"},
      {eOPCPEERXFER, "Peer transfers"},
      {eOPCPEERLXFER, "Long peer transfers"},
      {eOPCAUXRD, "Auxiliary reads"},
      {eOPCAUXWR, "Auxiliary writes"},
      {eOPCRDLIMDATA, "Limit data reads"},
      {eOPCWRLIMDATA, "Limit data writes"},
      {eOPCALMRDACCESS, "Memory reads"},
      {eOPCALMWRACCESS, "Memory writes"}}},
    {"Other",
     2,
     {{eOPCSE, "Security elements"},
      {eOPCSELONG, "Security elements, long"},
      {eOPCIMMPACKET, "Immediate DCC packets"},
      {eOPCSPCLOEM1, "Special messages, 15 bytes"},
      {eOPCSPCLOEM2, "Special messages, 31 bytes"}}},
};

QString ShownName(const TKindRow& row)
{
    if (row.kind == 0)  // no opcode name to give
        return QString::fromLatin1(row.plainName);
    QString opcode = QString::fromLatin1(LnKindName(row.kind));
    opcode.chop(1);  // the colon
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(row.plainName), opcode);
}

}  // namespace

QList<TKindPreset> KindPresets()
{
    const TKindSet sv = Kinds({eOPCSVACCESS1, eOPCSVACCESS2, eOPCPEERXFER, eOPCPEERLXFER});
    const TKindSet switching = Kinds({eOPCSWREQ, eOPCSWSTATE, eOPCSWACK, eOPCLONGACK, eOPCSENS});
    return {
        {QStringLiteral("Show all"), TKindSet()},
        {QStringLiteral("Hide sensor reports"), Kinds({eOPCSENS, eOPCMULTISENSE})},
        {QStringLiteral("Hide throttle traffic"),
         Kinds({eOPCLOCOADR, eOPCRQSLDATA, eOPCMOVESLOTS, eOPCLINKSLOTS, eOPCUNLINKSLOTS, eOPCCONSISTFUNC,
                eOPCSLOTSTAT1, eOPCLOCOF9F12, eOPCLOCOSND, eOPCLOCODIRF, eOPCLOCOSPD, eOPCSPDLIMSLOT,
                eOPCWRSLDATA, eOPCSLRDDATA, eOPCTHROTSTAT})},
        {QStringLiteral("Only SV programming"), ~sv},
        {QStringLiteral("Only switches and sensors"), ~switching},
    };
}

QString KindSetText(const TKindSet& kinds)
{
    QStringList numbers;
    for (size_t kind = 0; kind < kinds.size(); ++kind) {
        if (kinds.test(kind))
            numbers << QString::number(kind);
    }
    return numbers.join(QLatin1Char(','));
}

TKindSet KindSetOfText(const QString& text)
{
    TKindSet kinds;
    for (const QString& number : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int kind = number.trimmed().toInt(&ok);
        if (ok && kind >= 0 && kind < kLnMessageKindCount)
            kinds.set(static_cast<size_t>(kind));
    }
    return kinds;
}

TKindFilterDialog::TKindFilterDialog(const TKindSet& hidden, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Message kinds shown"));
    setObjectName(QStringLiteral("KindFilterDialog"));

    auto* grid = new QHBoxLayout;
    QVBoxLayout* columns[3];
    for (QVBoxLayout*& column : columns) {
        column = new QVBoxLayout;
        grid->addLayout(column);
    }
    boxes_.resize(kLnMessageKindCount);
    for (const TKindGroup& group : kKindGroups) {
        auto* frame = new QGroupBox(QString::fromLatin1(group.title), this);
        auto* rows = new QVBoxLayout(frame);
        for (const TKindRow& row : group.rows) {
            auto* box = new QCheckBox(ShownName(row), frame);
            box->setObjectName(QStringLiteral("Kind%1").arg(row.kind));
            rows->addWidget(box);
            boxes_[row.kind] = box;
        }
        columns[group.column]->addWidget(frame);
    }
    for (QVBoxLayout* column : columns)
        column->addStretch(1);
    auto* presets = new QVBoxLayout;
    for (const TKindPreset& preset : KindPresets()) {
        auto* button = new QPushButton(preset.name, this);
        button->setAutoDefault(false);
        const TKindSet set = preset.hidden;
        connect(button, &QPushButton::clicked, this, [this, set] { SetHiddenKinds(set); });
        presets->addWidget(button);
    }
    presets->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addLayout(presets);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    SetHiddenKinds(hidden);
}

TKindSet TKindFilterDialog::HiddenKinds() const
{
    TKindSet hidden;
    for (int kind = 0; kind < boxes_.size(); ++kind)
        hidden.set(static_cast<size_t>(kind), !boxes_[kind]->isChecked());
    return hidden;
}

void TKindFilterDialog::SetHiddenKinds(const TKindSet& hidden)
{
    for (int kind = 0; kind < boxes_.size(); ++kind)
        boxes_[kind]->setChecked(!hidden.test(static_cast<size_t>(kind)));
}
