#include "platform/Datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
constexpr const char* kProductList = "progdevicelist.csv";
}

QString ProductListPath()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString beside = programDir.filePath(kProductList);
    const QString installed =
        QDir::cleanPath(programDir.filePath(QStringLiteral("../share/varnscope/") + kProductList));
    for (const QString& candidate : {beside, installed})
        if (QFileInfo(candidate).isFile())
            return candidate;
    return beside;
}
