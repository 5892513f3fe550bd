// VeZiv: every call a program may make, and the records those calls take.
// A program includes this header alone and links the target `veziv`.
//
// Calls never throw. Unless a line says otherwise they return 0 on success
// and -1 on failure; handles are non-negative ints and -1 means none. Texts
// are zero-terminated Shift-JIS (CP932) byte strings; paths are library paths
// ("image\\System\\bar1.png"), relative to the folder the program started in.
// Colours are values in the screen's pixel format (PackColorForScreen).
// Depends on nothing but the standard library.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace veziv {

// ---------------------------------------------------------------------------
// Handles, rectangles, matrices and dates

// A resource's packed name: kind, slot and a check count that makes a stale
// handle fail. Negative: no handle.
using LibraryHandle = int;
using GraphHandle = int;
using FontHandle = int;

// left, top, right, bottom; right == left (or bottom == top) is empty.
struct DrawRect {
  int left;
  int top;
  int right;
  int bottom;
};

// Row-major (element (r, c) is m[4 * r + c]), acting on row vectors from the
// left (v' = v x M): translation sits in row 3, and A x B applies A first.
struct Matrix {
  float m[16];
};

struct Vector3 {
  float x;
  float y;
  float z;
};

// A calendar date in local time.
struct DateRecord {
  int year;
  int month;  // 1-12
  int day;    // day of the month
  int hour;
  int minute;
  int second;
};

// ---------------------------------------------------------------------------
// Start, end and the message pump

// Starts the window, input, sound, graphics and fonts with the screen mode,
// window mode, caption and icon set before it. 0 (also when already started),
// or -1 after the partial start has been undone; a later call starts afresh.
int InitLibrary();
// Ends everything the library started, restores the start folder and writes
// the leak dump to "Log.txt". 0, also when the library was not started.
int EndLibrary();
// Once a frame: the window's messages and the per-frame upkeep. 0 go on, -1
// the window is gone. Waits while the window is inactive unless running while
// inactive.
int PumpMessages();
// 1: the program keeps running while its window is in the background. 0.
int SetRunWhileInactive(int flag);
// Waits ms milliseconds, pumping, or until the window is gone. 0.
int WaitMilliseconds(uint32_t ms);
// Waits for every input to be released, then for any key, pad button or
// mouse button; returns what was pressed, or 0 when the window went away.
int WaitForAnyKey();

// ---------------------------------------------------------------------------
// Window and system services

// flag 1: window mode, 0: full screen. 0 when nothing changed or there is no
// window yet; else the result of the screen-mode change it makes (graphs are
// lost: the program reloads its own).
int SwitchWindowedMode(int flag);
// The main window's identity (null before creation and after destruction).
void* GetAppWindowHandle();
// 1 once the window has been destroyed.
int IsWindowEnded();
// 1 in window mode, 0 in full screen.
int IsWindowedMode();
// 1 while the window is the active one: "is my window in front".
int IsWindowActive();
// 1 once the window has been asked to close.
int IsWindowClosing();
// The processor's MMX flag of the system report.
int IsMmxUsable();
// The desktop's size and colour bits; each pointer may be null. 0.
int GetDesktopMode(int* width, int* height, int* color_bits);
// How many window pixels a screen pixel takes in window mode; 1.0 in full screen.
double GetWindowZoomRatio();
// The caption; before the window exists it is kept for its creation. 0.
int SetWindowTitle(const char* text);
// Resource 101 is the program's own icon; 0 is the system's default. 0.
int SetWindowIconFromResource(int resource_id);
// 1 show, 0 hide, -1 apply the current setting again. 0.
int SetCursorVisibility(int flag);
// The mouse in screen pixels; each pointer may be null. 0.
int ReadMousePosition(int* x, int* y);
// The wheel notches counted so far (+1 a notch away from the user); a
// non-zero clear sets the count to 0.
int TakeWheelRotation(int clear);
// rect: left, top, right, bottom of the client area on the desktop. 0.
int GetWindowDrawRect(int* rect);
// With a buffer of size bytes: copies the clipboard's text, cut to fit, and
// returns 0. Without one: the size a copy needs plus one. No text: -1.
int ReadClipboardText(char* buffer, size_t size);
// Puts the text on the clipboard. 0.
int WriteClipboardText(const char* text);
// Milliseconds of the system timer, 31 bits, never negative.
int GetMillisecondCount(int unused);
// Microseconds of the system timer.
int64_t GetMicrosecondCount(int mode);
// The local date now; a null date is ignored. 0.
int GetLocalDateRecord(DateRecord* date);
// file_time: 100-ns units since 1601-01-01 UTC, shown in local time.
void FileTimeToDateRecord(uint64_t file_time, DateRecord* date);
// No picture for the inactive window is ever set: -1 (0 while the library ends).
int DrawInactivePicture();

// ---------------------------------------------------------------------------
// Files, archives and streams

// 0 means failure; the value is private to the set of file functions that made it.
using FileHandle = int;

// What a find reports of one folder entry.
struct FileFindRecord {
  char name[260];  // file name without folder, zero-terminated, Shift-JIS
  int directory;   // 1 for a folder, 0 for a file
  uint32_t sizeLow;
  uint32_t sizeHigh;
  DateRecord creationTime;   // local time
  DateRecord lastWriteTime;  // local time
};

// The twelve file operations every reader of the library goes through.
struct FileFunctionTable {
  // path, cache flag, reserved (callers pass 1), asynchronous flag; 0 on failure.
  FileHandle (*open)(const char* path, int cache, int reserved, int async);
  int (*close)(FileHandle handle);
  int (*tell)(FileHandle handle);
  // origin 0 start, 1 current position, 2 end; 0, -1 on failure.
  int (*seek)(FileHandle handle, int offset, int origin);
  size_t (*read)(void* buffer, size_t elementSize, size_t count, FileHandle handle);
  // -1 once a read has met the end of the file, else 0.
  int (*eof)(FileHandle handle);
  // Non-zero when no asynchronous request of the handle is pending.
  int (*idleCheck)(FileHandle handle);
  int (*setCurrentDir)(const char* path);
  // buffer of at least 260 bytes.
  int (*getCurrentDir)(char* buffer);
  // Find handle, -1 when nothing matches; record may be null.
  int (*findFirst)(const char* pattern, FileFindRecord* record);
  int (*findNext)(int findHandle, FileFindRecord* record);
  int (*findClose)(int findHandle);
};

// A FileHandle for the file stream table, a MemoryStreamState pointer for the memory one.
using StreamValue = intptr_t;

// Six operations over an opened stream, as the image and sound readers read.
struct StreamFunctionTable {
  int (*tell)(StreamValue stream);
  int (*seek)(StreamValue stream, int offset, int origin);
  size_t (*read)(void* buffer, size_t elementSize, size_t count, StreamValue stream);
  int (*eof)(StreamValue stream);
  int (*idleCheck)(StreamValue stream);
  int (*close)(StreamValue stream);
};

// A stream over a block the caller keeps.
struct MemoryStreamState {
  const unsigned char* data;  // the caller's block, not owned
  int size;
  int position;
  int endFlag;
};

// Non-zero lets a folder of a path be read from the archive named after it. 0.
int EnableArchiveReading(int flag);
// The archives' extension ("dat"): 1 to 63 characters; anything else clears it. 0.
int SetArchiveFileExtension(const char* text);
// The archives' key: its first 12 characters count; null clears it. 0.
int SetArchiveKeyText(const char* text);
// Installs a table of file functions; null installs the default set. 0.
int SetFileFunctionTable(const FileFunctionTable* table);
// Opens a file for reading, from an archive or a plain folder; 0 on failure.
FileHandle OpenFileForRead(const char* path, int async);
// Reads one element of size bytes; returns the installed read's result.
int ReadFileElements(void* buffer, int size, FileHandle handle);
// Reads the next line (ending at CR LF, which is not stored, or at a zero
// byte) into buffer, zero-terminated; a line longer than bufferSize - 1 bytes
// comes back in pieces, never splitting a double-byte character. The length,
// or -1 at the end of the file or for a buffer smaller than 2 bytes.
int ReadFileLine(char* buffer, int bufferSize, FileHandle handle);
// The installed table's open (cache and asynchronous flags; reserved: 1); 0 on failure.
FileHandle FileStreamOpen(const char* path, int cache, int reserved, int async);
// Closes a file of FileStreamOpen or OpenFileForRead.
int FileStreamClose(FileHandle handle);
// The position in bytes from the start.
int FileStreamTell(FileHandle handle);
// origin 0 start, 1 current position, 2 end. 0 or -1.
int FileStreamSeek(FileHandle handle, int offset, int origin);
// Elements (plain files) or bytes (archive members) read; 0 at the end.
size_t FileStreamRead(void* buffer, size_t elementSize, size_t count, FileHandle handle);
// -1 once a read has met the end, else 0.
int FileStreamEof(FileHandle handle);
// Non-zero when no asynchronous read of the file is pending.
int FileStreamIdleCheck(FileHandle handle);
// Makes path the folder relative paths start from.
int FileStreamSetCurrentDir(const char* path);
// Writes the current folder into buffer (at least 260 bytes).
int FileStreamGetCurrentDir(char* buffer);
// The stream table over files (stream values are FileHandles).
const StreamFunctionTable* GetFileStreamTable();
// The stream table over memory blocks (stream values are MemoryStreamState pointers).
const StreamFunctionTable* GetMemoryStreamTable();
// A stream over the caller's block, which must outlive it; null when out of memory.
MemoryStreamState* OpenMemoryStream(const void* data, int size);
// Frees the state, not the data. 0.
int CloseMemoryStream(MemoryStreamState* state);

// ---------------------------------------------------------------------------
// URL requests

// GETs an http or https URL, pumping messages while it waits, with connect and total timeouts in ms; at most
// bodySize - 1 bytes of the body go into body, zero-terminated (the rest is not read). The HTTP status of a 2xx
// answer, or -1: no connection, a timeout, another status, or the window went away during the wait.
int RequestUrlText(const char* url, const char* agent, char* body, int bodySize, int connectMs, int totalMs);

// ---------------------------------------------------------------------------
// Random numbers and text formatting

// Seeds the generator and starts a fresh block (an unseeded one seeds itself with 4357).
void SeedRandom(uint32_t seed);
// The next 32-bit word of the generator.
uint32_t NextRandomWord();
// A uniformly drawn int in 0..max; max = -1 gives 0.
int RandomUpTo(int max);
// vsnprintf into a buffer of size bytes, cut to fit (never inside a
// double-byte character). The bytes written, or -1 for a bad format or buffer.
int FormatTextArgs(char* buffer, size_t size, const char* format, va_list args);
// The same with the arguments inline; 0, or -1 where FormatTextArgs gives -1.
int FormatText(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// ---------------------------------------------------------------------------
// Rectangles, matrices and vectors

// Repairs inverted edges, then clamps bottom, top, right and left, in that
// order, into clip; a rectangle wholly outside ends empty on clip's nearest edge. 0.
int ClipRectToRect(DrawRect* rect, const DrawRect* clip);
// out = the identity. 0.
int SetMatrixToIdentity(Matrix* out);
// out = a x b; out may be a or b; a null out writes nothing. 0.
int MultiplyMatrix(Matrix* out, const Matrix* a, const Matrix* b);
// out = m transposed; out may be m. 0.
int TransposeMatrix(Matrix* out, const Matrix* m);
// out = m inverted; a singular m gives non-finite elements; out may be m. 0.
int InvertMatrix(Matrix* out, const Matrix* m);
// Left-handed perspective (view z to 0..1); fov: vertical, in radians; a
// negative aspect takes the screen's height / width. -1 (out untouched) when
// far and near, or sin(fov / 2) and zero, are within 0.0001.
int BuildPerspectiveMatrix(Matrix* out, float fov, float near_z, float far_z, float aspect);
// Orthographic projection; size: the visible height in view units. -1 (out
// untouched) when near and far are within 0.0001.
int BuildOrthographicMatrix(Matrix* out, float size, float near_z, float far_z, float aspect);
// Maps -1..1 to width and height around the centre, y downwards. 0.
int BuildViewportMatrix(Matrix* out, float centre_x, float centre_y, float width, float height);
// Looks from eye at target with up as the rough up direction; eye == target
// or up along the view gives non-finite elements. 0.
int BuildViewMatrixFromTarget(Matrix* out, const Vector3* eye, const Vector3* target, const Vector3* up);
// a . b
float DotVector3(const Vector3* a, const Vector3* b);
// out = first three components of (v, 1) x m, without division by w; out may be v. 0.
int TransformVector3(Vector3* out, const Vector3* v, const Matrix* m);
// out = (x, y, z) / length; a zero vector gives non-finite values. Returns out.
Vector3* NormalizeVector3(Vector3* out, float x, float y, float z);

// ---------------------------------------------------------------------------
// Camera

// The camera's near and far planes; they and the two below rebuild the
// projection. Near and far within 0.0001 of each other keep the last one. 0.
int SetCameraClipDistances(float nearZ, float farZ);
// Vertical field of view in radians; selects the perspective mode. 0.
int SetCameraFieldOfView(float fieldOfView);
// Selects the given-matrix mode with a copy of matrix; -1 for a null matrix. 0.
int SetCameraCustomProjection(const Matrix* matrix);
// out = (v, 1) x m divided by its w: where a point lands through a projection,
// such as the camera's combined transform. A point on the eye plane (w = 0)
// gives non-finite values. out may be v. Returns out.
Vector3* TransformPoint3(Vector3* out, const Vector3* v, const Matrix* m);

// ---------------------------------------------------------------------------
// On-screen log

// Formats by printf rules (1024 bytes, cut to fit) and adds the text to the
// page drawn over the screen at each present. 0.
int PrintfToScreen(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Empties the page and hides it until the next PrintfToScreen. 0.
int ClearScreenLog();

// ---------------------------------------------------------------------------
// Images

// A pixel format. colorBits 8, 16, 24, 32 (4 or 8 when block-compressed);
// bytesPerPixel 1 means a palette image.
struct PixelFormatDesc {
  uint16_t colorBits;
  uint16_t bytesPerPixel;
  uint8_t redWidth, greenWidth, blueWidth, alphaWidth;
  uint8_t redShift, greenShift, blueShift, alphaShift;
  uint32_t redMask, greenMask, blueMask, alphaMask;
  uint32_t unusedMask;      // bits of no channel, added to every packed colour
  uint8_t palette[256][4];  // blue, green, red, fourth byte
  uint8_t unusedShift;
  uint8_t unusedWidth;
  uint32_t compressedKind;  // 0 plain, 1-5 DXT1-DXT5
};

// An image in memory: format, size, row pitch and the pixels.
struct RasterImage {
  PixelFormatDesc format;
  int32_t width;
  int32_t height;
  int32_t pitch;       // bytes from one row to the next; 0 for a compressed image
  void* pixels;        // rows top-down, values little-endian
  int32_t levelCount;  // mip levels stored behind level 0; 0 = level 0 only
};

// ---------------------------------------------------------------------------
// Graphs

// A new empty graph, usable as a capture target. The handle, or -1.
GraphHandle CreateEmptyGraph(int width, int height, int unused);
// A graph naming the rectangle of source. The handle, or -1.
GraphHandle MakeSubGraph(int x, int y, int width, int height, GraphHandle source);
// The graph's width and height. 0, or -1 for a bad handle.
int QueryGraphDimensions(GraphHandle handle, int* width, int* height);
// Fills the whole graph with one colour of 8-bit components.
int ClearGraphToColor(GraphHandle handle, int r, int g, int b, int a);
// flag (may be null) is set to 0 now and to 1 when the graph is deleted.
int AttachGraphLossFlag(GraphHandle handle, int* flag);
// Frees a graph; a handle that is not valid is refused.
int FreeGraphHandle(GraphHandle handle, int unused);
// Frees every graph. 0.
int FreeAllGraphHandles(int unused);
// Colour bits (16 or 32) of graphs made later, and its read-out.
int SetNewGraphBitDepth(int bits);
int GetNewGraphBitDepth();
// 1: graphs made later are made as movie surfaces (render targets without a
// transparent colour), and its read-out.
int SetNewGraphMovieSurfaceMode(int flag);
int GetNewGraphMovieSurfaceMode();
// 1: the transparent colour is cut out of graphs made later, and its read-out.
int SetTransColorUseFlag(int flag);
int GetTransColorUseFlag();
// 1: blank graphs made later carry alpha, and its read-out.
int SetBlankGraphAlphaFlag(int flag);
int GetBlankGraphAlphaFlag();
// A creation option word kept for the graphs made later, and its read-out.
int SetGraphCreateOptionWord(int word);
int GetGraphCreateOptionWord();
// 1: graphs made later go to the device's default pool, and its read-out.
int SetNewGraphDefaultPoolFlag(int flag);
int GetNewGraphDefaultPoolFlag();
// The transparent colour of graphs made later (8-bit components), and its read-out.
int SetTransparentColorRGB(int r, int g, int b);
int GetTransparentColorRGB(int* r, int* g, int* b);

// ---------------------------------------------------------------------------
// Loading graphs from files and memory

// An image file (with its "_a" alpha companion) as a new graph; a file no
// image reader accepts is opened as a movie. The handle, or -1.
GraphHandle ImportGraphFile(const char* fileName, int flag);
// The same, mirrored left to right when reverse is 1, with the movie open option.
GraphHandle ImportGraphFileToHandle(const char* fileName, int flag, int reverse, int movieOption);
// A new graph filled with the images (alpha may be null); mirrored when
// reverse is 1 (mirrorHere: mirror the images for the transfer and back).
GraphHandle BuildGraphFromRasterEx(RasterImage* colour, RasterImage* alpha, int flag, int reverse, int mirrorHere);
// A new graph of the colour image's size filled with the images; -1 also for
// an alpha image of another size.
GraphHandle BuildGraphFromRaster(const RasterImage* colour, const RasterImage* alpha);
// The file cut into count pieces of width x height, left to right and top to
// bottom, one new graph a piece in handles. 0, or -1 with no piece left.
int ImportGraphFileAsPieces(const char* fileName, int count, int across, int down, int width, int height,
                            GraphHandle* handles, int flag);
// The same from images: at most `down` rows of at most `across` pieces,
// columns running right to left when reverse is 1; on failure every entry is -1.
int SplitRasterIntoGraphs(RasterImage* colour, RasterImage* alpha, int count, int across, int down, int width,
                          int height, GraphHandle* handles, int flag, int reverse, int unused);
// A new graph from image file bytes in memory, with optional alpha image
// bytes (alphaData may be null). No file name is kept, so a device loss's
// reload cannot restore it. The handle, or -1.
GraphHandle DecodeGraphFromBuffer(const void* data, int size, const void* alphaData, int alphaSize, int flag,
                                  int reverse);
// Refills an existing graph of the same size from image bytes in memory.
int RedecodeGraphFromBuffer(const void* data, int size, GraphHandle handle, const void* alphaData, int alphaSize,
                            int option, int reverse);
// Refills an existing graph from images of its own size, alpha included.
int RebuildGraphFromRaster(RasterImage* colour, RasterImage* alpha, GraphHandle handle, int option, int reverse,
                           int mirrorHere);

// ---------------------------------------------------------------------------
// Draw state

// Special draw targets.
inline constexpr int kTargetBackScreen = -2;
inline constexpr int kTargetFrontScreen = -3;
inline constexpr int kTargetAutoPresent = -4;
inline constexpr int kTargetNone = -5;

// The blend mode (0 none, 1 alpha, ...) and its parameter (0..255) of all later drawing.
int ChooseBlendMode(int mode, int param);
// Brightness factors 0..255 of all later drawing; (255, 255, 255) leaves colours as they are.
int SetDrawColorScale(int r, int g, int b);
// The colour value of the screen's format for 8-bit components.
uint32_t PackColorForScreen(int r, int g, int b);
// The 8-bit components of a colour value of the screen's format. 0.
int UnpackScreenColor(uint32_t value, int* r, int* g, int* b);
// The graph whose pixels give the alpha of later drawing (-1: none), with its
// border parameter and range (0..255).
int SelectBlendImageGraph(int graph, int borderParam, int borderRange);
// The draw area of the current target; drawing is clipped to it.
int SetClipRegion(int left, int top, int right, int bottom);
// The draw area: left, top, right, bottom. 0.
int GetClipRegion(int out[4]);
// How scaled and rotated drawing samples, and its read-out.
int SetDrawSampleMode(int mode);
int GetDrawSampleMode();
// A graph or one of the special targets; 0, or -1 for a bad target.
int SelectDrawTarget(int target);
// The current draw target.
int GetCurrentDrawTarget();
// Clears the current draw target to black.
int ClearDrawTarget();
// Fog mode of later 3-D drawing.
int SetDrawStateA(int fogMode);
// Fog colour (8-bit components).
int SetDrawStateB(int r, int g, int b);
// Fog start and end.
int SetDrawStateFloat(float fogStart, float fogEnd);
// 1 asks for the hardware road (before the start only: -1 afterwards), and its read-out.
int SetHardwareRenderingWanted(int flag);
int GetHardwareRenderingWanted();

// ---------------------------------------------------------------------------
// Drawing

// The whole graph with its top-left corner at (x, y); transparency 1 leaves
// the transparent colour out. An invalid handle draws nothing.
int RenderGraphAtPoint(int x, int y, int graph, int transparency);
// The whole graph stretched into the rectangle.
int RenderGraphStretched(int x1, int y1, int x2, int y2, int graph, int transparency);
// The same with float corners.
int RenderGraphStretchedF(float x1, float y1, float x2, float y2, int graph, int transparency);
// The whole graph mirrored left to right at (x, y).
int RenderGraphMirrored(int x, int y, int graph, int transparency);
// The graph centred on (x, y), scaled and turned by angle (radians).
int RenderGraphRotatedAtCentre(float x, float y, double scale, double angle, int graph, int transparency,
                               int turn);
// The graph's point (cx, cy) at (x, y), scaled and turned clockwise by angle about it.
int RenderGraphRotScaled(double x, double y, double cx, double cy, double scale, double angle, int graph,
                         int transparency, int turn);
// The rectangle (sx, sy, width, height) of the graph with its top-left corner at (x, y).
int RenderGraphPart(int x, int y, int sx, int sy, int width, int height, int graph, int transparency, int turn);
// A rectangle of the graph stretched into (x1, y1)-(x2, y2).
int RenderGraphPartStretched(int x1, int y1, int x2, int y2, int sx, int sy, int sw, int sh, int graph,
                             int transparency);
// The whole graph into four corners: top-left, top-right, bottom-left, bottom-right.
int RenderGraphFreeQuad(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int graph,
                        int transparency);
// The same with float corners.
int RenderGraphFreeQuadF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                         int graph, int transparency);
// A filled box (fill 1) or its outline; right and bottom edges exclusive.
int DrawBoxShape(int x1, int y1, int x2, int y2, uint32_t colour, int fill);
// A filled box.
int DrawBoxFilled(int x1, int y1, int x2, int y2, uint32_t colour);
// A box's outline.
int DrawBoxFrame(int x1, int y1, int x2, int y2, uint32_t colour);
// A disc (fill 1) or a circle's outline.
int DrawCircleShape(int x, int y, int radius, uint32_t colour, int fill);
// A line of the given thickness in pixels.
int DrawLineSegment(int x1, int y1, int x2, int y2, uint32_t colour, int thickness);

// ---------------------------------------------------------------------------
// Screen mode and presentation

// One entry of the display's mode list.
struct DisplayModeRecord {
  int32_t width;
  int32_t height;
  int32_t colorBits;
  int32_t refreshRate;
};

// Called after the graphics device was lost and set up again.
using GraphicsRestoreCallback = void (*)();

// -1 for a zero width or height or bits other than 8, 16 and 32. Before the
// start the mode is stored (0); afterwards it is applied: 0 when the screen
// has the mode asked for, -2 when it fell back to 640 x 480 x 16, else -1.
int SetScreenMode(int width, int height, int color_bits, int refresh_rate);
// -1 in an argument keeps the current value. Restarts graphics in the new
// mode (every graph is lost), falling back to the old mode and then to
// 640 x 480 x 16 when it cannot start; ends the program when nothing starts. 0.
int ChangeScreenMode(int width, int height, int color_bits, int force, int refresh_rate);
// Shows the back screen in the window at once, with the on-screen log over
// it. -1 before the start, once the window is gone, or when the window refuses the frame.
int PresentBackBuffer();
// The function called after the device was restored; null: the built-in reload. 0.
int SetGraphicsRestoreCallback(GraphicsRestoreCallback callback);
// The screen size, 640 x 480 while none is set; either pointer may be null. 0.
int GetScreenSizeOrDefault(int* width, int* height);
// The stored mode (zeros while unset); each pointer may be null. 0.
int GetScreenSizeAndDepth(int* width, int* height, int* color_bits);
// The screen's colour bits.
int GetScreenColorBitDepth();
// 1 when the program runs in full screen.
int IsFullScreenMode();
// The display's modes of at least 16 bits.
int GetDisplayModeCount();
// The entry at index; all four fields -1 outside the list.
DisplayModeRecord GetDisplayModeEntry(int index);
// 1: a present waits for the vertical blank, and its read-out.
int SetPresentWaitsForVBlank(int flag);
int GetPresentWaitsForVBlank();
// 1: a 640 x 480 screen shows its top-left 320 x 240 enlarged. 0.
int SetHalfSizeScreenFlag(int flag);
// Yields the processor and notes the time of the flip. 0.
int WaitFrameInterval();
// A token that stands for the display object; never null.
void* GetDirectDrawObject();
// The menu's dialog-box mode of a full-screen device; the software screen has none. 0.
int SetDeviceDialogBoxMode(int flag);

// ---------------------------------------------------------------------------
// Screen capture

// Copies (x1, y1)-(x2, y2) of the draw target into the graph at (0, 0); -1
// for an invalid graph, a rectangle not inside the target or a graph of another size.
int CaptureScreenToGraph(int x1, int y1, int x2, int y2, int graph);
// Writes (x1, y1)-(x2, y2) of the draw target to a file: type 0 a bitmap,
// 1 a JPEG of the given quality, 2 a PNG with pngOption as its compression
// level, any other type nothing. -1 for a rectangle not inside the target or
// a file that could not be written.
int WriteScreenRegionImage(int x1, int y1, int x2, int y2, const char* fileName, int type, int jpegQuality,
                           int jpegOption, int pngOption);
// The same as a JPEG of the given quality.
int WriteScreenRegionJpeg(int x1, int y1, int x2, int y2, const char* fileName, int quality, int option);

// ---------------------------------------------------------------------------
// Fonts

// Bit 0: edged; bit 1: anti-aliased.
enum FontType : int {
  FontTypeNormal = 0,
  FontTypeEdge = 1,
  FontTypeAntialias = 2,
  FontTypeAntialiasEdge = 3,
};

// A new font. -1 takes the default (face: none; size 16; thickness 6; type 0,
// or edged when edgeSize is above 1; charset index 1; edge 1; slot: the first
// free; check: the next from the counter). The handle, or -1.
FontHandle CreateFontHandle(const char* face, int size, int thickness, int type, int charsetIndex, int edgeSize,
                            int italic, int slot, int check);
// Frees the font and sets its owner's lost flag. 0.
int DeleteFontHandle(FontHandle font);
// flag (may be null) is set to 0 now and to 1 when the font is deleted. 0.
int AttachFontLossFlag(FontHandle font, int* flag);
// Extra pixels after every character.
int SetFontCharSpacing(int spacing, FontHandle font);
// Face (up to 256 bytes), size and thickness; each pointer may be null. 0.
int GetFontHandleInfo(char* face, int* size, int* thickness, FontHandle font);
// The font's size.
int GetFontHandleSize(FontHandle font);
// 1 when the font's glyph cache lives in graphs.
int GetFontHandleUseTexture(FontHandle font);
// 1 for a live font, else 0.
int IsValidFontHandle(FontHandle font);
// The default font's handle (-1 without one).
int GetLibraryDefaultFont();
// The default font's size (-1 without one).
int GetDefaultFontSize();
// The default font's size (-1: its start value). 0.
int SetDefaultFontSize(int size);
// The default font's thickness (-1: its start value). 0.
int SetDefaultFontThickness(int thickness);
// Both at once. -1 while graphics are not started.
int SetDefaultFontSizeThickness(int unused, int size, int thickness);
// The default font's face and charset index (-1: by the code page). 0.
int SetDefaultFontFace(const char* face, int charsetIndex);
// The default font's FontType. 0.
int SetDefaultFontType(int type);
// Deletes every font and makes the default font again. -1 while graphics are not started.
int ResetAllFonts();

// ---------------------------------------------------------------------------
// Strings

// The text with its top-left corner at (x, y) in a font; edge colour for
// edged fonts; vertical 1 writes downwards. -1 for an invalid font.
int DrawTextWithFont(int x, int y, const char* text, uint32_t colour, int font, uint32_t edgeColour, int vertical);
// The same in the default font, across.
int DrawTextDefaultFont(int x, int y, const char* text, uint32_t colour, uint32_t edgeColour);
// Formatted by printf rules (2048 bytes, cut short, never inside a
// character) and drawn across in a font with edge colour 0.
int DrawFormattedTextWithFont(int x, int y, uint32_t colour, int font, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
// The same in the default font.
int DrawFormattedTextDefaultFont(int x, int y, uint32_t colour, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// The width in pixels of the first byteCount bytes (-1: all) in a font, or -1.
int MeasureTextWithFont(const char* text, int byteCount, int font, int vertical);
// The same in the default font.
int MeasureTextDefaultFont(const char* text, int byteCount, int vertical);

// ---------------------------------------------------------------------------
// Keyboard, mouse and pads

// Added to a pad number: the pad's keyboard mapping is merged in.
inline constexpr int kPadWithKeyboard = 0x1000;

// 1 while the key with that code (0..255) is held, else 0.
int IsKeyDown(int key_code);
// Fills 256 bytes with 1 (held) or 0 per key code. 0; -1 without a buffer.
int GetAllKeyStates(char* buffer);
// Held mouse buttons: bit 0 left, 1 right, 2 middle, 3 and 4 the side buttons.
int GetMouseButtons();
// The number of attached pads, 0 to 16.
int GetPadDeviceCount();
// pad 1..16 (plus kPadWithKeyboard): bit 0 down, 1 left, 2 right, 3 up, bits
// 4 to 27 buttons 1 to 24. 0 for a pad that does not exist.
int ReadPadInputBits(int pad);
// Releases the pads and opens every attached one again. 0, or -1 when input is not set up.
int EnumeratePadDevices();
// Vibration of power 0..1000 (-1 keeps the current) for time ms (negative:
// until stopped); a pad without vibration ignores it. 0.
int StartPadRumble(int pad, int power, int time);
// Stops a pad's vibration. 0.
int StopPadRumble(int pad);
// mask bit 0: keys and pads, bit 2: mouse buttons over the window. The first
// held key code; -1 for a held pad input or mouse button; else 0.
int CheckAnyInput(int mask);

// ---------------------------------------------------------------------------
// Text entry

// A handle, or -1 when all 256 are in use, the buffer cannot be allocated or
// maxLength is negative.
int CreateTextEntryHandle(int maxLength, int cancelAllowed, int singleByteOnly, int numbersOnly);
int DeleteTextEntryHandle(int handle);
int DeleteTextEntryHandleAll();
// -1 makes no field active. 0, or -1 for an invalid handle.
int SetActiveTextEntryHandle(int handle);
// Applies the ring's characters to the active field. 0; -1 when the active
// handle is invalid. Run by the pump on every pass.
int UpdateTextEntry();
// 0; -1 for an invalid handle or one that has ended.
int DrawTextEntryHandle(int x, int y, int handle);
// Copies the text with its zero (the buffer holds maxLength + 1 bytes). 0 or -1.
int CopyTextEntryText(char* out, int handle);
// out holds at least maxLength + 1 bytes. 1: ended with Enter, the text is
// in out. 2: cancelled with Escape, out untouched. -1: the window went away
// (nothing is put back: the program is ending), the field became invalid,
// or no field could be made.
int InputStringModalCore(int x, int y, int maxLength, char* out, int cancelAllowed, int singleByteOnly,
                         int numbersOnly);
// InputStringModalCore for any character.
int InputStringModal(int x, int y, int maxLength, char* out, int cancelAllowed);

// ---------------------------------------------------------------------------
// Sounds

// Play types.
constexpr int SoundPlayWait = 0;  // returns when the sound has ended
constexpr int SoundPlayBack = 1;  // returns at once
constexpr int SoundPlayLoop = 3;  // loops until stopped

// A sound file (WAVE, Ogg Vorbis, MP3) as a new sound with buffer_count play
// buffers (above 10 counts as 10). The handle, or -1.
int LoadSoundFileToHandle(const char* file_name, int buffer_count, int owner);
// The same from a sound file's bytes in memory (-1 for a buffer count above 10).
int LoadSoundFromFileImage(const void* image, int size, int buffer_count, int owner);
// Plays the sound with a play type; top 1 starts from the beginning, 0 leaves
// a sounding buffer alone and lets a stopped one resume. An invalid handle plays nothing.
int PlaySoundHandle(int handle, int play_type, int top);
// Stops the sound.
int StopSoundHandle(int handle);
// 1 while any buffer of the sound plays, 0 when none does, -1 for a bad
// handle or while sound is down.
int IsSoundHandlePlaying(int handle);
// Stops and frees the sound.
int DeleteSoundHandle(int handle, int unused);
// Frees every sound.
int DeleteSoundHandleAll(int unused);
// The volume (0..255) of every play buffer of the sound.
int SetSoundHandleVolume(int volume, int handle);
// The playback rate in Hz; -1 restores the data's own.
int SetSoundHandleFrequency(int frequency, int handle);
// Where a looping play goes back to, in milliseconds.
int SetSoundHandleLoopPointMs(int ms, int handle);
// The same in samples.
int SetSoundHandleLoopPointSamples(int samples, int handle);
// The sound's length in samples.
int GetSoundHandleTotalSamples(int handle);
// The sound's length in milliseconds.
int GetSoundHandleTotalMs(int handle);
// The play position in milliseconds.
int GetSoundHandlePlayPosMs(int handle);
// How sounds made later are held: 0 decoded whole, 1..3 streamed.
int SetSoundCreateType(int type);
int GetSoundCreateType();
// 1 or 0: the sound set-up mode (they differ in how MIDI music plays); a
// change while sound runs restarts it, deleting every sound.
int SetSoundInitMode(int mode);

// ---------------------------------------------------------------------------
// Music and the sound-file player

// Releases the current music, then plays the file as MIDI; in mode 0 a file
// the synthesizer does not take plays as a stream sound instead. play_type:
// SoundPlayWait, SoundPlayBack or SoundPlayLoop. 0; -1 when the file cannot
// be read, is no MIDI data in mode 1, or fails as a sound too.
int PlayMusicFile(const char* file_name, int play_type);
// 0, also with no current music.
int StopCurrentMusic();
// 1 while the current music plays, 0 when it does not or there is none.
int IsMusicPlaying();
// 0..255: the current music's volume when it is a sound; else, in mode 1, the
// master volume of the MIDI music (255: the full volume; mode 0 keeps it).
int SetMusicVolume(int volume);
// Frees the player's previous sound and plays the file through it. 0, -1.
int PlayFileThroughSoundPlayer(const char* file_name, int play_type);
// 0 (also with no player sound).
int StopFileSoundPlayer();
// 1, 0 (also with no player sound).
int IsSoundFilePlaying();

// ---------------------------------------------------------------------------
// Movies

// A movie's record (the library's own).
struct MovieHandleData;
// Called at each frame update of a movie with the argument it was given.
using MovieFrameCallback = void (*)(MovieHandleData* movie, int argument);

// Opens an Ogg Theora movie file, with its Vorbis sound track when it has
// one; the picture's size goes to width and height (either may be null).
// option: the presentation mode of other movie formats, which cannot be
// played here. The handle (paused on its first frame), or -1.
int CreateMovieFromFile(const char* fileName, int* width, int* height, int option);
// Stops and frees the movie.
int CloseMovieHandle(int handle);
// Plays a paused movie from its current frame: play type 1 once, 3 looping,
// -1 the one it had; resumeOnly 1 starts only a movie still marked playing.
int StartMoviePlayback(int handle, int playType, int resumeOnly);
// Pauses the movie on its current frame; keepPlaying 1 keeps its playing mark.
int SuspendMovie(int handle, int keepPlaying);
// 1 while the movie plays, 0 once it is paused or has ended.
int ReadMovieStatus(int handle);
// Brings the movie's picture up to its clock (the sound track's position, or
// the time since the start) and calls its frame callback. 0.
int AdvanceMovieFrame(int handle, int wait);
// The frame callback of movie graphs: the movie's new picture into the graph.
void MovieFrameToGraphCallback(MovieHandleData* movie, int graph);
// The movie of a graph loaded from a movie file: StartMoviePlayback,
// SuspendMovie and ReadMovieStatus on it. -1 for a bad graph, 0 for a graph
// without a movie.
int StartGraphMovie(GraphHandle graph, int playType, int resumeOnly);
int SuspendGraphMovie(GraphHandle graph, int keepPlaying);
int ReadGraphMovieStatus(GraphHandle graph);

}  // namespace veziv
