// Movie handles: the table of movies, opening a movie file (Ogg Theora through
// the library's own decoder, other movies through FFmpeg's road; either with
// its sound track as a stream sound), start and pause, moving the picture on
// by the sound track or the clock, the per-frame callback, and pausing and
// resuming every movie when the window loses and regains the focus. Depends
// on the two decoders, the sound handles and stream sounds, the foundation's
// handles, files, clock and log, and graphics (the graph loader's and the
// draw calls' hooks).
#pragma once

#include <cstdint>

#include "library/sound_movie/movie/media_movie.h"
#include "library/sound_movie/movie/theora_decoder.h"
#include "library/veziv.h"

namespace veziv {

struct MovieHandleData {
  uint32_t check;
  int32_t playType;  // 1 once; bit 1 set (3): looping
  int32_t theora;    // 1: played by the Theora decoder
  TheoraDecodeContext* decoder;
  MediaMovieContext* media;  // the other road's decoder, or null
  int64_t startTime;  // microseconds: when frame 0 would have been shown
  FileHandle file;    // read by the decoder
  int32_t soundTrack;  // a stream sound, -1 when none
  int32_t width;
  int32_t height;
  int32_t playing;  // 1 while meant to play
  int32_t paused;   // 1 while not running
  int32_t frameUpdated;
  RasterImage* frameImage;
  MovieFrameCallback callback;
  int32_t callbackArgument;
};

// The record of a live movie, or null.
MovieHandleData* GetMovieRecord(int handle);
// The function called at each frame update (null: none) with its argument. 0, -1.
int SetMovieFrameCallback(int handle, MovieFrameCallback callback, int argument);
// The window lost the focus: every movie pauses, keeping its playing mark. 0.
int SuspendAllMovies();
// The window has the focus again: the movies that were playing go on. 0.
int ResumeMovieAll();
// Movies of the platform's media framework around screen changes, and drawn
// straight into the window: the FFmpeg road keeps its own state across
// screen changes and draws only into graphs, so there is nothing to do. 0.
int ReleaseMovieDirectShowAll();
int ReopenMovieDirectShowAll();
int DrawMovieToWindowAll();

namespace detail {
// Puts the movie colour tables into the library's start, the movies' pause
// and resume into the window's activation, and the movie player into the
// graph loader and the draw calls. InitLibrary calls it; tests call it themselves.
void RegisterMoviesWithLibrary();
// Live movies.
int MovieCount();
}  // namespace detail

}  // namespace veziv
