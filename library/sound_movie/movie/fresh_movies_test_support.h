// Test support for movies: every movie closed between tests, and the 4:2:0
// conversion narrowed to each of its vector forms.
#pragma once

namespace veziv::detail {

// Closes every movie in the table.
void CloseAllMovies();
// The widest vectors the 4:2:0 conversion may use, in bits (512, 256, or 0
// for none), so that tests reach each form; 512 gives back the machine's widest.
void LimitYuvVectors(int bits);

}  // namespace veziv::detail
