// The online ranking.
#include "game/shell/ranking.h"

namespace game {

int32_t rankingEntryState = kRankingOpen;
char rankingBoard[256] = {};
rankingEntry rankingTable[kRankCount];

} // namespace game
