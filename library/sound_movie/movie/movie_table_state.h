// The movie table: movie_handles.cpp keeps it; the tests' support closes
// every movie in it between tests.
#pragma once

#include <new>

#include "library/foundation/core/handles.h"
#include "library/foundation/memory_log/log.h"
#include "library/sound_movie/movie/movie_handles.h"

namespace veziv::detail {

struct MovieRecords : NewDeleteRecords<MovieHandleData> {
  static MovieHandleData* AllocateRecord() {
    auto* record = new (std::nothrow) MovieHandleData();
    if (record == nullptr) WriteLogText("メモリの確保に失敗しました in CreateMovieFromFile");
    return record;
  }
};

using MovieTable = FirstFreeHandleTable<MovieHandleData, kMovieHandleKind, kMovieHandleSlots, MovieRecords>;

MovieTable& MovieTableRecord();

}  // namespace veziv::detail
