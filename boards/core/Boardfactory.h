// The board factory: one table from board type to the type's names and the
// model's constructor. Each model fills its own row in Boardfactory.cpp.
#pragma once

#include "boards/core/Tconfigurableboard.h"

#include <memory>
#include <string>

using TBoardMaker = std::unique_ptr<TConfigurableBoard> (*)();

struct TBoardFactoryRow {
    const char* shortTypeName;  // "VELA40"
    const char* longTypeName;   // "VELA40 Signal Controller"
    TBoardMaker make;           // nullptr while the model is not built in
};

// The row of a type 0..6; nullptr for any other value.
const TBoardFactoryRow* BoardFactoryRow(int boardType);

// A new board of the type with its model's defaults; nullptr when the type is
// unknown or its model is not built in (BoardFactoryError says which).
std::unique_ptr<TConfigurableBoard> MakeBoard(int boardType);
// Why MakeBoard gives nothing for this type; empty when it gives a board.
std::string BoardFactoryError(int boardType);

// The type whose short type name equals the text, in any case; -1 when none.
int BoardTypeFromName(const std::string& shortTypeName);

template <class TModel>
std::unique_ptr<TConfigurableBoard> MakeModel()
{
    return std::make_unique<TModel>();
}
