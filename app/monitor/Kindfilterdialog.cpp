#include "app/monitor/Kindfilterdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
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

QString ShownName(int kind)
{
    QString name = QString::fromLatin1(LnKindName(kind));
    name.chop(1);  // the colon
    return name;
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

TKindFilterDialog::TKindFilterDialog(const TKindSet& hidden, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Message kinds shown"));
    setObjectName(QStringLiteral("KindFilterDialog"));

    auto* grid = new QGridLayout;
    constexpr int kRowsPerColumn = 16;
    for (int kind = 0; kind < kLnMessageKindCount; ++kind) {
        auto* box = new QCheckBox(ShownName(kind), this);
        box->setObjectName(QStringLiteral("Kind%1").arg(kind));
        grid->addWidget(box, kind % kRowsPerColumn, kind / kRowsPerColumn);
        boxes_.append(box);
    }
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
