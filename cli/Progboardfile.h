// The board list of one type read from a configuration file, for the
// programming subcommands.
#pragma once

#include "boards/core/Boarddata.h"

#include <QString>

// Loads FILE as the list of TYPE and picks board INDEX. False with the
// error printed (exit status 2) when any of them is unusable.
bool LoadCliBoard(TBoardData& boards, const QString& typeName, const QString& fileName, const QString& indexText,
                  uint8_t& type, int& index);
