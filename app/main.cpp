// varnscope: the LocoNet monitor and Quorvel board configuration program.
#include "app/shell/Aboutbox.h"
#include "app/common/Appicon.h"
#include "app/common/Appsettings.h"
#include "app/shell/Main.h"
#include "app/tour/Screenshottour.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

// Said by the program when it cannot show a window; ./run then starts the
// command-line monitor instead.
constexpr int kExitNoDisplay = 3;

bool Asked(int argc, char** argv, std::initializer_list<const char*> words)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* word : words) {
            if (std::strcmp(argv[i], word) == 0)
                return true;
        }
    }
    return false;
}

// On X11 and Wayland desktops without either (over SSH, a board computer
// without a screen) Qt would abort with a message about platform plugins.
bool WithoutDisplay(int argc, char** argv)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (Asked(argc, argv, {"-platform"}))
        return false;
    // An empty QT_QPA_PLATFORM, or one naming the desktop's own plugins, still
    // needs a display; any other (offscreen, vnc, eglfs) does not.
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb")) &&
        !platform.startsWith(QLatin1String("wayland")))
        return false;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return false;
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    if (WithoutDisplay(argc, argv)) {
        // Help and the version need no window.
        if (!Asked(argc, argv, {"-h", "--help", "-?", "--help-all", "-v", "--version"})) {
            std::fputs("varnscope: no display to show its windows on: run it on a desktop, under xvfb-run "
                       "(xvfb-run -a varnscope), or use varnscope-cli (varnscope-cli monitor --port sim)\n",
                       stderr);
            return kExitNoDisplay;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
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
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Board files to open, each into the list of its board type."),
                                 QStringLiteral("[FILE...]"));
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
