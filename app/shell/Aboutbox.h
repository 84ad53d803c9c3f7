// The about window: the program's name, version, author and company.
#pragma once

#include <QDialog>

class QLabel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    static QString ProgramName();
    static QString Version();
    static QString Author();
    static QString Company();

    QLabel* ProductName = nullptr;
    QLabel* VersionLabel = nullptr;
    QLabel* AuthorLabel = nullptr;
    QLabel* CompanyLabel = nullptr;
};
