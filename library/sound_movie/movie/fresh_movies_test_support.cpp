#include "library/sound_movie/movie/fresh_movies_test_support.h"

#include "library/sound_movie/movie/movie_handles.h"
#include "library/sound_movie/movie/movie_table_state.h"
#include "library/sound_movie/movie/yuv_vectors_state.h"

namespace veziv::detail {

void CloseAllMovies() {
  MovieTable& table = MovieTableRecord();
  for (int slot = 0; slot < kMovieHandleSlots; ++slot) {
    const int handle = table.HandleAt(slot);
    if (handle >= 0) CloseMovieHandle(handle);
  }
}

void LimitYuvVectors(int bits) { YuvWidePairs().store(ChooseYuvWidePairs(bits)); }

}  // namespace veziv::detail
