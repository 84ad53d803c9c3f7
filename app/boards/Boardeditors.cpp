#include "app/boards/Boardeditors.h"

#include "app/boards/muv7/Formmuv7edit.h"
#include "app/boards/ort50/Formort50edit.h"
#include "app/boards/pax/Paxeditors.h"
#include "app/boards/vela/Formvela40edit.h"
#include "app/boards/vela/Formvela80edit.h"
#include "boards/core/Boarddata.h"

#include <array>

// One row per board type, in type order: 0 VELA40, 1 ORT50, 2 VELA80, 3 MUV7,
// 4 PAX60, 5 TEL90, 6 PAX66. Each model's editor fills its own row.
static const std::array<TBoardEditorRow, kBoardTypeCount> kEditors = {{
    {EditVela40Board},  // VELA40
    {EditOrt50Board},   // ORT50
    {EditVela80Board},  // VELA80
    {EditMUV7Board},    // MUV7
    {EditPAX60Board},   // PAX60
    {EditTEL90Board},   // TEL90
    {EditPAX66Board},   // PAX66
}};

const TBoardEditorRow* BoardEditorRow(int boardType)
{
    if (boardType < 0 || boardType >= static_cast<int>(kEditors.size()))
        return nullptr;
    return &kEditors[static_cast<size_t>(boardType)];
}

bool HasBoardEditor(int boardType)
{
    const TBoardEditorRow* row = BoardEditorRow(boardType);
    return row && row->edit;
}

QString NoBoardEditorText(int boardType)
{
    if (HasBoardEditor(boardType))
        return {};
    return QStringLiteral("The %1 has no editor window yet: edit its configuration file")
        .arg(QString::fromStdString(TBoardData::ShortTypeName(static_cast<uint8_t>(boardType))));
}
