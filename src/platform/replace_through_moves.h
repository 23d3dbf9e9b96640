#pragma once
// Replaces the file `to` with the file `from` so that at every moment one
// of them holds the name `to` or can be put back under it: the one-step
// replacing move where the system has it; otherwise (Windows 95/98) the old
// file is moved aside to "<to>.old" first, the new one takes the name, and
// the old one is removed only then; when the new one cannot take the name,
// the old one is moved back. True when `from` has the name `to`.

#include "platform/file_moves.h"

bool ReplaceThroughMoves(FileMoves& moves, const char* from, const char* to);
