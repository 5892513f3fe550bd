// The stage folders: the five of the battle mode, then the test stage. One
// table for the game and the demo data tool (X(source id, folder path)); the
// game compiles the paths to Shift-JIS, the tool keeps them UTF-8 for the disk.
#pragma once

#define VEZIV_STAGE_FOLDERS(X)         \
  X(tut, "stages/チュートリアル")      \
  X(s1, "stages/ステージ1")            \
  X(s2, "stages/ステージ2")            \
  X(s3, "stages/ステージ3")            \
  X(s4, "stages/ステージ4")            \
  X(test, "stages/test")

namespace game::battle {

enum class StageSource {
#define VEZIV_STAGE_ID(id, path) id,
  VEZIV_STAGE_FOLDERS(VEZIV_STAGE_ID)
#undef VEZIV_STAGE_ID
};

inline constexpr const char* kStageFolders[] = {
#define VEZIV_STAGE_PATH(id, path) path,
    VEZIV_STAGE_FOLDERS(VEZIV_STAGE_PATH)
#undef VEZIV_STAGE_PATH
};

inline constexpr int kStageFolderCount = sizeof kStageFolders / sizeof kStageFolders[0];

}  // namespace game::battle
