#include "app/monitor/Kindfilterdialog.h"

#include "link/Lnkindnames.h"

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
struct TKindGroup {
    const char* title;
    int column;
    std::initializer_list<int> kinds;
};

const std::initializer_list<TKindGroup> kKindGroups = {
    {"Power and system",
     0,
     {eOPCGPON,
      eOPCGPOFF,
      eOPCIDLE,
      eOPCBUSY,
      eOPCMASTERLIM,
      eOPCMASTERNORM,
      eOPCFIND,
      0}},
    {"Switches",
     0,
     {eOPCSWREQ,
      eOPCSWACK,
      eOPCSWSTATE,
      eOPCOPSTATE,
      eOPCTOFB,
      eOPCLONGACK}},
    {"Sensors", 0, {eOPCSENS, eOPCMULTISENSE}},
    {"Locomotives and slots",
     1,
     {eOPCLOCOADR,
      eOPCLOCOSPD,
      eOPCLOCODIRF,
      eOPCLOCOSND,
      eOPCLOCOF9F12,
      eOPCRQSLDATA,
      eOPCSLRDDATA,
      eOPCWRSLDATA,
      eOPCSLOTSTAT1,
      eOPCMOVESLOTS,
      eOPCLINKSLOTS,
      eOPCUNLINKSLOTS,
      eOPCCONSISTFUNC,
      eOPCSPDLIMSLOT,
      eOPCTHROTSTAT}},
    {"Programming and transfers",
     2,
     {eOPCSVACCESS1,
      eOPCSVACCESS2,
      eOPCPEERXFER,
      eOPCPEERLXFER,
      eOPCAUXRD,
      eOPCAUXWR,
      eOPCRDLIMDATA,
      eOPCWRLIMDATA,
      eOPCALMRDACCESS,
      eOPCALMWRACCESS}},
    {"Other",
     2,
     {eOPCSE,
      eOPCSELONG,
      eOPCIMMPACKET,
      eOPCSPCLOEM1,
      eOPCSPCLOEM2}},
};

QString ShownName(int kind)
{
    const QString plain = QString::fromLatin1(LnKindPlainName(kind));
    if (kind == 0)  // no opcode name to give
        return plain;
    QString opcode = QString::fromLatin1(LnKindName(kind));
    opcode.chop(1);  // the colon
    return QStringLiteral("%1 (%2)").arg(plain, opcode);
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
        for (int kind : group.kinds) {
            auto* box = new QCheckBox(ShownName(kind), frame);
            box->setObjectName(QStringLiteral("Kind%1").arg(kind));
            rows->addWidget(box);
            boxes_[kind] = box;
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
