// Reading back what has been drawn: a rectangle of the current draw target
// copied into a graph of the same size, or written to a BMP, JPEG or PNG file.
// Rectangles are in target pixels, right and bottom exclusive.
#pragma once

namespace veziv {

// Copies (x1, y1)-(x2, y2) of the draw target into the graph at (0, 0). -1 for
// an invalid graph, a rectangle not inside the target or a graph whose size
// is not the rectangle's.
int CaptureScreenToGraph(int x1, int y1, int x2, int y2, int graph);

// Writes (x1, y1)-(x2, y2) of the draw target to the file: type 0 a bitmap,
// 1 a JPEG of the given quality, 2 a PNG with pngOption as its compression
// level; any other type writes nothing. jpegOption has no use: the JPEG
// writer takes the quality alone. -1 for a rectangle not inside the target
// or a file that could not be written, else 0.
int WriteScreenRegionImage(int x1, int y1, int x2, int y2, const char* fileName, int type, int jpegQuality,
                           int jpegOption, int pngOption);
// WriteScreenRegionImage as a JPEG, with the PNG writer's default level.
int WriteScreenRegionJpeg(int x1, int y1, int x2, int y2, const char* fileName, int quality, int option);

}  // namespace veziv
