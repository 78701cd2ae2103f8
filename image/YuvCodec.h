#pragma once
// The YUV codec: one planar 4:2:0 frame, studio-range BT.601, rows from the top of the picture.

#include "image/Image24.h"

class ChunkWriter;

// The frame's bytes; pixels beyond the right or top edge of an odd-sized image are outside. False when
// there is no image.
bool EncodeYuv(const Image24& image, Bgr outside, ChunkWriter& out);
