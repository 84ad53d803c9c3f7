#include "app/shell/Aboutbox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#ifndef VARNSCOPE_VERSION
#error "VARNSCOPE_VERSION comes from the build"
#endif

QString TAboutBox::ProgramName()
{
    return QStringLiteral("varnscope");
}

QString TAboutBox::Version()
{
    return QStringLiteral(VARNSCOPE_VERSION);
}

QString TAboutBox::Author()
{
    return QStringLiteral("varnscope developers");
}

QString TAboutBox::Company()
{
    return QStringLiteral("tavelin works");
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About"));
    setObjectName(QStringLiteral("AboutBox"));
    ProductName = new QLabel(QStringLiteral("<h2>%1</h2>").arg(ProgramName()), this);
    auto* description = new QLabel(
        QStringLiteral("Quorvel LocoNet Analyser: LocoNet bus monitor and\nconfiguration tool for the Quorvel boards"),
        this);
    VersionLabel = new QLabel(QStringLiteral("Version %1").arg(Version()), this);
    AuthorLabel = new QLabel(QStringLiteral("Author: %1").arg(Author()), this);
    CompanyLabel = new QLabel(QStringLiteral("Company: %1").arg(Company()), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProductName);
    layout->addWidget(description);
    layout->addSpacing(8);
    layout->addWidget(VersionLabel);
    layout->addWidget(AuthorLabel);
    layout->addWidget(CompanyLabel);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}
