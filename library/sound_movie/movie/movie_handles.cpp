// The movie table and the movie calls.
#include "library/sound_movie/movie/movie_handles.h"

#include <cmath>

#include "library/foundation/core/handles.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/call_sites.h"
#include "library/graphics/graphs/graph_loading.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/sound_movie/movie/movie_table_state.h"
#include "library/sound_movie/movie/yuv_convert.h"
#include "library/sound_movie/readers/sound_decoder.h"

namespace veziv {
namespace {

constexpr int kStockFrames = 10;

using detail::MovieTable;

MovieTable& Table() { return detail::MovieTableRecord(); }

template <typename Each>
void ForEachMovie(Each&& each) {
  for (int slot = 0; slot < kMovieHandleSlots; ++slot) {
    const int handle = Table().HandleAt(slot);
    if (handle >= 0) each(handle, Table().Get(handle));
  }
}

// A movie either decoder plays.
bool Decoded(const MovieHandleData* record) { return record->theora || record->media != nullptr; }

MediaMovieInfo InfoOf(const MovieHandleData* record) {
  MediaMovieInfo info{};
  if (record->media != nullptr) {
    GetMediaMovieInfo(record->media, &info);
  } else {
    TheoraMovieInfo theora{};
    GetTheoraMovieInfo(record->decoder, &theora);
    info = {theora.framesPerSecond, theora.frameCount, theora.width, theora.height};
  }
  return info;
}

int CurrentFrame(const MovieHandleData* record) {
  return record->media != nullptr ? GetMediaCurrentFrame(record->media) : GetTheoraCurrentFrame(record->decoder);
}

void AdvanceDecoder(MovieHandleData* record, int frames) {
  if (record->media != nullptr) {
    AdvanceMediaMovie(record->media, frames);
  } else {
    AdvanceTheoraMovie(record->decoder, frames);
  }
}

int64_t Now() { return GetMicrosecondCount(0); }

}  // namespace

int CreateMovieFromFile(const char* fileName, int* width, int* height, int /*presentationMode*/) {
  if (fileName == nullptr) return -1;
  const int handle = Table().Create();
  if (handle == -1) return -1;
  MovieHandleData* record = Table().Get(handle);
  record->soundTrack = -1;
  record->file = FileStreamOpen(fileName, 0, 1, 0);
  if (record->file != 0) {
    record->decoder = OpenTheoraMovie(GetFileStreamTable(), record->file, kStockFrames);
    // Every other movie goes the media road, over the same file (so a movie
    // inside an archive plays without a copy on disk).
    if (record->decoder == nullptr) record->media = OpenMediaMovie(GetFileStreamTable(), record->file, kStockFrames);
    if (record->decoder == nullptr && record->media == nullptr) {
      FileStreamClose(record->file);
      record->file = 0;
    }
  }
  if (record->decoder != nullptr || record->media != nullptr) {
    // The sound track: the same file as a stream sound read as it plays.
    const int keptType = GetSoundCreateType();
    SetSoundCreateType(3);
    detail::SetSoundMovieTrackFlag(1);
    record->soundTrack = LoadSoundFileToHandle(fileName, 1, -1);
    detail::SetSoundMovieTrackFlag(0);
    SetSoundCreateType(keptType);
    const MediaMovieInfo info = InfoOf(record);
    record->width = info.width;
    record->height = info.height;
    record->theora = record->decoder != nullptr ? 1 : 0;
    record->frameImage =
        record->media != nullptr ? GetMediaFrameImage(record->media) : GetTheoraFrameImage(record->decoder);
  } else {
    Table().Delete(handle);
    return WriteLogText("ムービーファイルオープン処理時にエラーが発生しました");
  }
  record->paused = 1;
  record->playing = 0;
  record->playType = 1;
  record->check = static_cast<uint32_t>(HandleCheck(handle));
  if (width != nullptr) *width = record->width;
  if (height != nullptr) *height = record->height;
  return handle;
}

int CloseMovieHandle(int handle) {
  MovieHandleData* record = Table().Get(handle);
  if (record == nullptr) return -1;
  if (Decoded(record)) {
    // The thread reads the file: it ends before the file closes.
    if (record->media != nullptr) {
      CloseMediaMovie(record->media);
    } else {
      CloseTheoraMovie(record->decoder);
    }
    FileStreamClose(record->file);
    if (record->soundTrack != -1) DeleteSoundHandle(record->soundTrack, 0);
  }
  Table().Delete(handle);
  return 0;
}

int StartMoviePlayback(int handle, int playType, int resumeOnly) {
  MovieHandleData* record = Table().Get(handle);
  if (record == nullptr) return -1;
  if (record->paused != 1) return 0;
  if (resumeOnly == 1 && record->playing != 1) return 0;
  if (playType == -1) playType = record->playType;
  if (playType == 0) playType = 1;
  if (Decoded(record)) {
    const double fps = InfoOf(record).framesPerSecond;
    const int current = CurrentFrame(record);
    record->startTime = Now() - static_cast<int64_t>(current / fps * 1e6);
    if (record->soundTrack != -1) PlaySoundHandle(record->soundTrack, playType, 0);
  }
  record->paused = 0;
  record->playType = playType;
  record->playing = 1;
  return 0;
}

int SuspendMovie(int handle, int keepPlaying) {
  MovieHandleData* record = Table().Get(handle);
  if (record == nullptr) return -1;
  if (record->paused) return 0;
  if (Decoded(record)) {
    if (record->soundTrack != -1) StopSoundHandle(record->soundTrack);
    AdvanceMovieFrame(handle, 0);
  }
  record->paused = 1;
  if (keepPlaying != 1) record->playing = 0;
  return 0;
}

int ReadMovieStatus(int handle) {
  MovieHandleData* record = Table().Get(handle);
  if (record == nullptr) return -1;
  // A paused movie keeps its mark: its track is stopped because of the pause,
  // not because the movie has ended.
  if (!Decoded(record) || record->soundTrack == -1 || record->paused) return record->playing;
  if (IsSoundHandlePlaying(record->soundTrack) == 1) return record->playing;
  AdvanceMovieFrame(handle, 0);
  record->playing = 0;
  record->paused = 1;
  return 0;
}

int AdvanceMovieFrame(int handle, int) {
  MovieHandleData* record = Table().Get(handle);
  if (record == nullptr) return -1;
  if (!Decoded(record) || record->paused) return 0;
  const MediaMovieInfo info = InfoOf(record);
  const int64_t count = info.frameCount;
  const bool loops = (record->playType & 2) != 0;
  int64_t target = 0;
  if (record->soundTrack == -1) {
    target = static_cast<int64_t>(static_cast<double>(Now() - record->startTime) * info.framesPerSecond * 1e-6);
    if (target >= count) target = loops ? target % count : count - 1;
  } else {
    const int ms = GetSoundHandlePlayPosMs(record->soundTrack);
    target = static_cast<int64_t>(ms * 1000.0 * info.framesPerSecond * 1e-6);
    if (target > count - 1) target = count - 1;
  }
  if (target < 0) target = 0;
  const int64_t current = CurrentFrame(record);
  if (target == current) {
    if (current == count - 1 && !loops && record->soundTrack == -1) {
      record->playing = 0;
      record->paused = 1;
    }
  } else if (target < current) {
    AdvanceDecoder(record, static_cast<int>(count - current + target));
  } else {
    AdvanceDecoder(record, static_cast<int>(target - current));
  }
  // The media road hands the receiver a frame image that is already up to
  // date, and only when it has a new picture.
  if (record->media != nullptr && FetchMediaFrame(record->media) != 1) return 0;
  if (record->callback != nullptr) record->callback(record, record->callbackArgument);
  record->frameUpdated = 1;
  return 0;
}

MovieHandleData* GetMovieRecord(int handle) { return Table().Get(handle); }

int SetMovieFrameCallback(int handle, MovieFrameCallback callback, int argument) {
  MovieHandleData* record = Table().Get(handle);
  if (record == nullptr) return -1;
  record->callback = callback;
  record->callbackArgument = argument;
  // The new receiver has not seen the picture fetched so far.
  if (record->theora) detail::ForgetTheoraFetch(record->decoder);
  if (record->media != nullptr) detail::ForgetMediaFetch(record->media);
  return 0;
}

int SuspendAllMovies() {
  ForEachMovie([](int handle, MovieHandleData*) { SuspendMovie(handle, 1); });
  return 0;
}

int ResumeMovieAll() {
  ForEachMovie([](int handle, MovieHandleData* record) {
    if (record->paused && record->playing) StartMoviePlayback(handle, -1, 1);
  });
  return 0;
}

int ReleaseMovieDirectShowAll() { return 0; }
int ReopenMovieDirectShowAll() { return 0; }
int DrawMovieToWindowAll() { return 0; }

namespace detail {

void RegisterMoviesWithLibrary() {
  RegisteredSubsystems().build_movie_color_tables = [] { InitYuvToRgbTables(); };
  SubsystemHooks& sites = CallSites();
  sites.resume_movie_all = [] { ResumeMovieAll(); };
  sites.suspend_all_movies = [] { SuspendAllMovies(); };
  sites.draw_movie_to_window_all = [] { DrawMovieToWindowAll(); };
  GraphicsHooks& graphics = GraphicsCalls();
  graphics.close_movie = [](int movie) { CloseMovieHandle(movie); };
  graphics.advance_movie_frame = [](int movie) { AdvanceMovieFrame(movie, 0); };
  graphics.reopen_all_movies = [] { ReopenMovieDirectShowAll(); };
  MovieLoaderHooks& loader = MovieLoaderCalls();
  loader.create_movie_from_file = CreateMovieFromFile;
  loader.movie_has_alpha = [](int) { return 0; };
  loader.set_movie_frame_callback = [](int movie, GraphHandle graph) {
    SetMovieFrameCallback(movie, MovieFrameToGraphCallback, graph);
  };
}

int MovieCount() {
  int count = 0;
  ForEachMovie([&count](int, MovieHandleData*) { ++count; });
  return count;
}

MovieTable& MovieTableRecord() {
  static MovieTable table;
  return table;
}

}  // namespace detail
}  // namespace veziv
