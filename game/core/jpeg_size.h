// The picture size a JPEG's frame header declares, found without decoding:
// a save slot's thumbnail is checked against the size the game writes before
// any decoder is given it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace game {

// Walks the segments from the start-of-image marker to the first frame
// header and gives the width and height it declares. False for bytes that
// are no JPEG, that end before a frame header, or whose scan comes first.
bool jpegPictureSize(const uint8_t* data, size_t size, int& width, int& height);

}  // namespace game
