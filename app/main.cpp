// varnscope: the LocoNet monitor and Quorvel board configuration program.
#include "app/shell/Aboutbox.h"
#include "app/common/Appicon.h"
#include "app/common/Appsettings.h"
#include "app/shell/Main.h"
#include "app/tour/Screenshottour.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(kSettingsOrganization));
    QCoreApplication::setApplicationName(QString::fromLatin1(kSettingsApplication));
    QCoreApplication::setApplicationVersion(TAboutBox::Version());
    QApplication::setWindowIcon(ProgramIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quorvel LocoNet Board Programmer: LocoNet monitor and board configuration"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Run on the built-in simulated LocoNet; the stored connection is left alone."));
    parser.addOption(simulate);
    const QCommandLineOption screenshots(QStringLiteral("screenshots"),
                                         QStringLiteral("Open every window, save a picture of each into <folder>, then quit."),
                                         QStringLiteral("folder"));
    parser.addOption(screenshots);
    parser.addPositionalArgument(QStringLiteral("nofiles"), QStringLiteral("Do not reload the board lists (any case)."),
                                 QStringLiteral("[nofiles]"));
    parser.process(app);

    TMainOptions options;
    options.Arguments = parser.positionalArguments();
    options.Simulate = parser.isSet(simulate);
    TMainForm mainForm(std::move(options));
    mainForm.show();
    if (parser.isSet(screenshots))
        StartScreenshotTour(mainForm, mainForm.Workbench(), parser.value(screenshots));
    return app.exec();
}
