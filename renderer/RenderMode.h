#pragma once
// How a render window computes its frames: a wire model on screen, a raw frame that draws every other cell
// in every other row, or the full frame.

enum class RenderMode { Preview = 0, Raw = 1, Final = 2 };
