// Chooses which message kinds the message display shows: one check box per
// kind, and presets for the usual questions ("what did the programming
// say?", "the sensors drown everything").
#pragma once

#include "app/monitor/Messagelistmodel.h"

#include <QDialog>
#include <QList>
#include <QString>

class QCheckBox;

struct TKindPreset {
    QString name;
    TKindSet hidden;
};

// The presets, in the order offered.
QList<TKindPreset> KindPresets();

// A kind set as stored with the window ("17,26": the kinds' numbers), and
// back; numbers out of range are ignored.
QString KindSetText(const TKindSet& kinds);
TKindSet KindSetOfText(const QString& text);

class TKindFilterDialog : public QDialog {
    Q_OBJECT
public:
    TKindFilterDialog(const TKindSet& hidden, QWidget* parent = nullptr);

    TKindSet HiddenKinds() const;
    void SetHiddenKinds(const TKindSet& hidden);
    QCheckBox* KindBox(int kind) const { return boxes_.value(kind); }

private:
    QList<QCheckBox*> boxes_;
};
