#include "cli/Progboardfile.h"

#include "boards/core/Boardfactory.h"
#include "cli/Boardcli.h"
#include "cli/Proghost.h"

#include <QFileInfo>

bool LoadCliBoard(TBoardData& boards, const QString& typeName, const QString& fileName, const QString& indexText,
                  uint8_t& type, int& index)
{
    const int t = BoardTypeFromName(typeName.toStdString());
    if (t < 0) {
        PrintError("unknown board type '" + typeName + "' (VELA40, ORT50, VELA80, MUV7, PAX60, TEL90, PAX66)");
        return false;
    }
    type = static_cast<uint8_t>(t);
    bool ok = false;
    index = indexText.isEmpty() ? 0 : indexText.toInt(&ok);
    if (!indexText.isEmpty() && (!ok || index < 0)) {
        PrintError("--index must be a board position from 0");
        return false;
    }
    if (!QFileInfo(fileName).isFile()) {
        PrintError("cannot read " + fileName + ": no such file");
        return false;
    }
    const bool loaded = boards.LoadList(type, fileName.toStdString());
    boardcli::PrintLoadWarning(boards);
    if (!loaded) {
        PrintError(QString::fromStdString(boards.LastErrorText()));
        return false;
    }
    if (index >= boards.BoardCount(type)) {
        PrintError(QString("%1 holds %2 %3 board(s); there is no board %4")
                       .arg(fileName)
                       .arg(boards.BoardCount(type))
                       .arg(QString::fromStdString(TBoardData::ShortTypeName(type)))
                       .arg(index));
        return false;
    }
    return true;
}
