#include "platform/replace_through_moves.h"

#include "platform/fixed_text.h"

bool ReplaceThroughMoves(FileMoves& moves, const char* from, const char* to) {
    const ReplacingMove replacing = moves.MoveReplacing(from, to);
    if (replacing != ReplacingMove::NotSupported) return replacing == ReplacingMove::Done;

    // Nothing of that name yet: a plain move is enough.
    if (moves.Move(from, to)) return true;

    FixedText<kPathCapacity + 8> aside;
    aside.Format("%s.old", to);
    if (aside.truncated()) return false;
    // An old file that cannot be moved aside stays where it is.
    if (!moves.Move(to, aside.c_str())) return false;
    if (moves.Move(from, to)) {
        moves.Remove(aside.c_str());
        return true;
    }
    moves.Move(aside.c_str(), to);
    return false;
}
